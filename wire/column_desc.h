// What prepare, execution and the catalog functions say about their result
// columns (the 480-byte column description) and, after it, about each
// parameter marker (the 12-byte parameter description).
#pragma once

#include <cstdint>

#include "wire/msg_buf.h"

struct LnaColumnDesc {
  int32_t display_size;
  int32_t length;      // length in bytes
  int32_t attributes;  // attribute bits
  int16_t sql_type;
  int32_t precision;
  int16_t scale;
  uint16_t nullable;  // non-zero: the column accepts nulls
  char label[65];
  char name[65];
  char table[34];
  char owner[34];
  char qualifier[256];
};

struct LnaParamDesc {
  int16_t sql_type;  // the server's data-type code
  int32_t precision;
  int16_t scale;
  uint16_t nullable;
};

int XdrColumnDesc(MsgBuf* buf, LnaColumnDesc* c);
int XdrPutColumnDesc(MsgBuf* buf, const LnaColumnDesc* c);

int XdrColumnState(MsgBuf* buf, LnaParamDesc* p);
int XdrPutColumnState(MsgBuf* buf, const LnaParamDesc* p);
