// Handing one column of the current row to the application, for a bound
// column at SQLFetch and for SQLGetData: conversion to the requested C
// type, long values in pieces across calls, truncation.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvStmt;

// What the ColumnDesc's retrieval words hold for the current row; both and
// the bytes handed out are cleared before every row.
enum : uint32_t {
  kRetrievalExhausted = 0,  // 1 once the value was handed out completely
  kRetrievalOffset = 1,     // where the next piece starts in the fetched value
};

// Pieces of a large buffer are filled one after another in passes of at
// most this many bytes.
constexpr int32_t kMaxPass = 65500;

// Where the retrieval of a column's current value stands: the three words
// above, wherever the result set's column records keep them.
struct RetrievalState {
  uint32_t* exhausted;
  uint32_t* offset;
  uint32_t* handed;  // bytes of the value already handed out
};

// False when the statement has no such column.
bool ColumnRetrieval(const DrvStmt* statement, uint32_t icol, RetrievalState* state);
// Back to the start of the column's value.
void ResetRetrieval(const DrvStmt* statement, uint32_t icol);

SQLRETURN GetColumnData(DrvStmt* statement, uint16_t icol, int16_t c_type, void* buffer,
                        SQLLEN buffer_length, SQLLEN* length, bool from_fetch);
// One server value into one buffer: *total the value's length from where
// this piece starts (SQL_NULL_DATA, SQL_NO_TOTAL), *returned what this call
// put in the buffer (for text without its NUL).
SQLRETURN DrvGetColumnValue(DrvStmt* statement, uint16_t icol, int16_t c_type, void* buffer,
                            int32_t buffer_length, int32_t* total, int32_t* returned);
// How many bytes of the fetched value a piece of `count` buffer bytes took
// when a value delivered in `delivered` was converted to `target`.
int32_t TransferLength(int16_t delivered, int32_t count, int16_t target);
// Clears the retrieval state of every column: a new row, or a value whose
// pieces are abandoned.
void ClearRetrievalState(DrvStmt* statement);
