#include "wire/table_type.h"

#include "wire/xdr_fields.h"

int XdrTableType(MsgBuf* buf, LnaTableType* t) {
  return XdrGetField(buf, t->name) && MsgBufGetI32(buf, &t->bit);
}

int XdrPutTableType(MsgBuf* buf, const LnaTableType* t) {
  return XdrPutField(buf, t->name) && MsgBufPutI32(buf, t->bit);
}
