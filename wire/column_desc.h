// What prepare, execution and the catalog functions say about their result
// columns (the 480-byte column description) and, after it, about each
// parameter marker (the 12-byte parameter description).
#pragma once

#include <cstdint>

#include "wire/msg_buf.h"

// A scale of this value (of a column, a parameter or a data type) means the
// value has none; it is reported as 0.
constexpr int16_t kNoScale = -9999;

// Attribute bits of a result column.
enum : uint32_t {
  kColNullable = 1u << 0,
  kColNullabilityKnown = 1u << 1,
  kColCaseSensitive = 1u << 2,
  kColSearchMask = (1u << 3) | (1u << 4),
  kColSearchBasic = 1u << 3,  // searchable except with LIKE
  kColSearchLike = 1u << 4,   // searchable with LIKE only
  kColValueRetrieval = 1u << 5,
  kColSigned = 1u << 6,
  kColMoney = 1u << 7,
  kColAutoIncrement = 1u << 8,
  kColUpdatable = 1u << 10,
};

struct LnaColumnDesc {
  int32_t display_size;
  int32_t length;      // length in bytes
  int32_t attributes;  // kCol... bits
  int16_t sql_type;
  int32_t precision;
  int16_t scale;      // kNoScale when none
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

// The column descriptions of a result as a reply carries them (the catalog
// procedures' whole reply): the array, then its own u16 count. Encoding
// sends the sender's `columns`, which it only reads. A decode leaves there
// an array from MsgBufGetArray that belongs to the decoder (MemFree), with a
// count no larger than the array, and nothing on failure.
struct ColumnDescList {
  LnaColumnDesc* columns = nullptr;
  uint16_t count = 0;
};
int Encode(MsgBuf* buf, const ColumnDescList& list);
int Decode(MsgBuf* buf, ColumnDescList* list);

int XdrColumnState(MsgBuf* buf, LnaParamDesc* p);
int XdrPutColumnState(MsgBuf* buf, const LnaParamDesc* p);
