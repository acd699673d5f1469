#include "wire/option_calls.h"

int Encode(MsgBuf* buf, const SetOptionRequest& request) {
  return MsgBufPutI32(buf, request.handle) && MsgBufPutU16(buf, request.option) &&
         Encode(buf, request.value);
}

int Decode(MsgBuf* buf, SetOptionRequest* request) {
  return MsgBufGetI32(buf, &request->handle) && MsgBufGetU16(buf, &request->option) &&
         Decode(buf, &request->value);
}
