// One table type the server knows (sent with the login reply): its name and
// the bit that stands for it in the table-type mask of the tables request.
#pragma once

#include <cstdint>

#include "wire/msg_buf.h"

struct LnaTableType {
  char name[128];
  int32_t bit;
};

int XdrTableType(MsgBuf* buf, LnaTableType* t);
int XdrPutTableType(MsgBuf* buf, const LnaTableType* t);
