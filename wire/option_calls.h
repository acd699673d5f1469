// The requests that set an option, kRpcSetConnectOption and
// kRpcSetStmtOption (their replies carry no fields; the reads of options
// and information are in wire/calls.h). Every encode and decode returns 1,
// or 0 with the reason in the thread's last error (wire/msg_buf.h).
#pragma once

#include <cstdint>

#include "wire/msg_buf.h"
#include "wire/wire_value.h"

// One option of the connection or of the statement that `handle` names. The
// sender's value is referred to (WireValue::Refer); a decoded one is owned.
struct SetOptionRequest {
  int32_t handle = 0;
  uint16_t option = 0;
  WireValue value;
};
int Encode(MsgBuf* buf, const SetOptionRequest& request);
int Decode(MsgBuf* buf, SetOptionRequest* request);
