#include "wire/column_desc.h"

#include "wire/counted_array.h"
#include "wire/xdr_fields.h"

int XdrColumnDesc(MsgBuf* buf, LnaColumnDesc* c) {
  return MsgBufGetI32(buf, &c->display_size) && MsgBufGetI32(buf, &c->length) &&
         MsgBufGetI32(buf, &c->attributes) && XdrGetI16(buf, &c->sql_type) &&
         MsgBufGetI32(buf, &c->precision) && XdrGetI16(buf, &c->scale) &&
         MsgBufGetU16(buf, &c->nullable) && XdrGetField(buf, c->label) &&
         XdrGetField(buf, c->name) && XdrGetField(buf, c->table) && XdrGetField(buf, c->owner) &&
         XdrGetField(buf, c->qualifier);
}

int XdrPutColumnDesc(MsgBuf* buf, const LnaColumnDesc* c) {
  return MsgBufPutI32(buf, c->display_size) && MsgBufPutI32(buf, c->length) &&
         MsgBufPutI32(buf, c->attributes) && XdrPutI16(buf, c->sql_type) &&
         MsgBufPutI32(buf, c->precision) && XdrPutI16(buf, c->scale) &&
         MsgBufPutU16(buf, c->nullable) && XdrPutField(buf, c->label) &&
         XdrPutField(buf, c->name) && XdrPutField(buf, c->table) && XdrPutField(buf, c->owner) &&
         XdrPutField(buf, c->qualifier);
}

int Encode(MsgBuf* buf, const ColumnDescList& list) {
  return PutCountedArray(buf, list.columns, list.count, MsgBufPutElem<XdrPutColumnDesc>);
}

int Decode(MsgBuf* buf, ColumnDescList* list) {
  return GetCountedArray(buf, &list->columns, &list->count, MsgBufGetElem<XdrColumnDesc>);
}

int XdrColumnState(MsgBuf* buf, LnaParamDesc* p) {
  return XdrGetI16(buf, &p->sql_type) && MsgBufGetI32(buf, &p->precision) &&
         XdrGetI16(buf, &p->scale) && MsgBufGetU16(buf, &p->nullable);
}

int XdrPutColumnState(MsgBuf* buf, const LnaParamDesc* p) {
  return XdrPutI16(buf, p->sql_type) && MsgBufPutI32(buf, p->precision) &&
         XdrPutI16(buf, p->scale) && MsgBufPutU16(buf, p->nullable);
}
