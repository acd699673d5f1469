// Statement execution, fetching and long data are refused, each with the
// full layout of its reply, until the server runs statements.
#include "driver/lna/row_reply.h"
#include "driver/lna/typed_value.h"
#include "server/procedures.h"

namespace velsrv {

namespace {

int PutEmptyArray(MsgBuf* buf) {
  return MsgBufPutI32(buf, -1);
}

int PutEmptyRowBlock(MsgBuf* buf) {
  LnaRowBlock block{kStatusNoData, 0, 0, nullptr, 0};
  return XdrPutRowBlock(buf, &block);
}

// arr(coldesc), u16 count, arr(paramdesc), u16 count
int PutEmptyDescriptions(MsgBuf* buf) {
  return PutEmptyArray(buf) && MsgBufPutU16(buf, 0) && PutEmptyArray(buf) && MsgBufPutU16(buf, 0);
}

}  // namespace

int16_t PendingProc(Call& call) {
  int32_t statement_id = 0;
  // Only the statement id is read: it says where the diagnostic goes.
  if (MsgBufGetI32(call.in(), &statement_id)) call.LookupStatement(statement_id);
  int16_t status = call.statement() != nullptr
                       ? call.Fail("S1C00", "This server does not run statements yet.")
                       : kStatusError;
  MsgBuf* out = call.out();
  switch (call.procedure()) {
    case 2:  // fetch block
      call.Put(PutEmptyRowBlock(out));
      break;
    case 13:  // exec direct
    case 49:  // exec direct with the first block
      call.Put(PutEmptyDescriptions(out) && PutEmptyArray(out) && MsgBufPutI32(out, 0));
      if (call.procedure() == 49) call.Put(PutEmptyRowBlock(out));
      break;
    case 14:  // execute
    case 50:  // execute with the first block
      call.Put(PutEmptyArray(out) && MsgBufPutI32(out, 0));
      if (call.procedure() == 50) call.Put(PutEmptyRowBlock(out));
      break;
    case 15: {  // fetch one row
      LnaSizedRow row{0, nullptr, 0};
      call.Put(XdrPutSizedBytes(out, &row));
      break;
    }
    case 21: {  // long data
      LnaTypedValue v{};
      v.c_type = kCTypeChar;
      v.length = kValueNull;
      call.Put(XdrPutTypedValue(out, &v) && MsgBufPutI32(out, kValueNull));
      break;
    }
    case 24:  // param data
      call.Put(MsgBufPutI32(out, 0));
      break;
    case 25:  // prepare
      call.Put(PutEmptyDescriptions(out));
      break;
    case 32:  // put long data: nothing
    default:
      break;
  }
  return status;
}

}  // namespace velsrv
