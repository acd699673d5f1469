// The two shapes in which rows come back: a row block (array fetch, and the
// first block of an array execution) holding one column block per result
// column, and the single row of a plain fetch.
#pragma once

#include <cstdint>

#include "wire/msg_buf.h"

struct LnaRowBlock {
  int16_t status;        // the server's result for this block (-16: no rows left)
  uint16_t count;        // values in the block
  uint32_t byte_count;   // as the server sent it
  uint8_t* bytes;        // the column blocks; owned once unpacked
  uint32_t data_length;  // bytes actually carried: bound every read of `bytes` by it
};

struct LnaSizedRow {
  int32_t size;          // as the server sent it
  uint8_t* bytes;        // the row's values; owned once unpacked
  uint32_t data_length;  // bytes actually carried
};

// The unpackers leave nothing allocated on failure; the packers send
// data_length bytes of `bytes`.
int XdrRowBlock(MsgBuf* buf, LnaRowBlock* block);
int XdrPutRowBlock(MsgBuf* buf, const LnaRowBlock* block);
void XdrFreeRowBlock(LnaRowBlock* block);

int XdrSizedBytes(MsgBuf* buf, LnaSizedRow* row);
int XdrPutSizedBytes(MsgBuf* buf, const LnaSizedRow* row);
void XdrFreeSizedRow(LnaSizedRow* row);
