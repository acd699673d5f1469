#include "wire/fetch_request.h"

#include "wire/xdr_fields.h"

int XdrPutFetchRequest(MsgBuf* buf, const LnaFetchRequest* r) {
  return XdrPutI16(buf, r->c_type) && MsgBufPutI32(buf, r->length) &&
         MsgBufPutU16(buf, r->long_column);
}

int XdrGetFetchRequest(MsgBuf* buf, LnaFetchRequest* r) {
  return XdrGetI16(buf, &r->c_type) && MsgBufGetI32(buf, &r->length) &&
         MsgBufGetU16(buf, &r->long_column);
}
