// One diagnostic of the server (also the layout of the diagnostic the call
// layer makes itself): SQLSTATE, native error, message text.
#pragma once

#include <cstdint>

#include "wire/msg_buf.h"

struct LnaDiagRecord {
  char sqlstate[6];
  int32_t native_error;
  char text[513];
};

int XdrDiagRecord(MsgBuf* buf, LnaDiagRecord* d);
int XdrPutDiagRecord(MsgBuf* buf, const LnaDiagRecord* d);
