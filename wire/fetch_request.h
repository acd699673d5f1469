// The 12-byte fetch request: one per requested column of a fetch (the
// statement's column state entries travel as they are).
#pragma once

#include <cstdint>

#include "wire/msg_buf.h"

struct LnaFetchRequest {
  int16_t c_type;        // C type of the caller's binding
  int32_t length;        // length requested; 0: not delivered with the row
  uint16_t long_column;  // 1 for a long column
};

int XdrPutFetchRequest(MsgBuf* buf, const LnaFetchRequest* r);
int XdrGetFetchRequest(MsgBuf* buf, LnaFetchRequest* r);
