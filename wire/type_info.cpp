#include "wire/type_info.h"

#include "wire/xdr_fields.h"

int XdrTypeInfo(MsgBuf* buf, LnaTypeInfo* t) {
  return XdrGetField(buf, t->type_name) && XdrGetI16(buf, &t->sql_type) &&
         MsgBufGetI32(buf, &t->precision) && XdrGetField(buf, t->literal_prefix) &&
         XdrGetField(buf, t->literal_suffix) && XdrGetField(buf, t->create_params) &&
         XdrGetI16(buf, &t->nullable) && XdrGetI16(buf, &t->case_sensitive) &&
         XdrGetI16(buf, &t->searchable) && XdrGetI16(buf, &t->unsigned_attribute) &&
         XdrGetI16(buf, &t->money) && XdrGetI16(buf, &t->auto_increment) &&
         XdrGetField(buf, t->local_type_name) && XdrGetI16(buf, &t->minimum_scale) &&
         XdrGetI16(buf, &t->maximum_scale);
}

int XdrPutTypeInfo(MsgBuf* buf, const LnaTypeInfo* t) {
  return XdrPutField(buf, t->type_name) && XdrPutI16(buf, t->sql_type) &&
         MsgBufPutI32(buf, t->precision) && XdrPutField(buf, t->literal_prefix) &&
         XdrPutField(buf, t->literal_suffix) && XdrPutField(buf, t->create_params) &&
         XdrPutI16(buf, t->nullable) && XdrPutI16(buf, t->case_sensitive) &&
         XdrPutI16(buf, t->searchable) && XdrPutI16(buf, t->unsigned_attribute) &&
         XdrPutI16(buf, t->money) && XdrPutI16(buf, t->auto_increment) &&
         XdrPutField(buf, t->local_type_name) && XdrPutI16(buf, t->minimum_scale) &&
         XdrPutI16(buf, t->maximum_scale);
}
