#include "wire/diag_record.h"

#include "wire/xdr_fields.h"

int XdrDiagRecord(MsgBuf* buf, LnaDiagRecord* d) {
  return XdrGetField(buf, d->sqlstate) && MsgBufGetI32(buf, &d->native_error) &&
         XdrGetField(buf, d->text);
}

int XdrPutDiagRecord(MsgBuf* buf, const LnaDiagRecord* d) {
  return XdrPutField(buf, d->sqlstate) && MsgBufPutI32(buf, d->native_error) &&
         XdrPutField(buf, d->text);
}
