// How the client takes each result column in a fetch, by the column's SQL
// type: the C type it asks the server to deliver and the size of the buffer
// it keeps for one value. The client's fetch requests carry these, and the
// server shapes the first row block it sends with an execution the same
// way, so the two must never be decided apart.
#pragma once

#include <cstdint>

// Long columns travel in a fixed buffer of this size (a text one byte more,
// for its NUL); longer values are read in further requests.
constexpr uint32_t kLongColumnBuffer = 31744;
// The largest fetch buffer of one column: a long text column's.
constexpr uint32_t kMaxFetchBuffer = kLongColumnBuffer + 1;

// A column's fetch buffer size from the length the server describes it
// with, plus `extra` (a text's NUL): computed without wrapping and capped
// at kMaxFetchBuffer.
uint32_t FetchBufferSize(uint32_t column_length, uint32_t extra);

// How a column of an SQL type travels: its C type (0 for a type the driver
// has no form for) and its buffer size; `long_column` for the long kinds.
struct FetchColumnForm {
  int16_t c_type;
  uint32_t size;
  bool long_column;
};

// From the column's description: its length and precision as unsigned
// numbers, and its scale (kNoScale counts as 0).
FetchColumnForm SetupFetchColumn(int16_t sql_type, uint32_t length, uint32_t precision,
                                 int16_t scale);
