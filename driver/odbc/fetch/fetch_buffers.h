// The statement's fetch buffers: one value slot per result column, each
// with a buffer of its own that the call layer writes every fetched row
// into, in the C type the column travels in. Built on the first fetch of a
// result set, reused for every row, freed with the result set.
#pragma once

#include <sql.h>

#include <cstdint>

#include "driver/lna/lna_call.h"

struct DrvStmt;

// How a column of an SQL type travels: its C type (0 for a type the driver
// has no form for) and its buffer size; `long_column` for the long kinds.
struct FetchColumnForm {
  int16_t c_type;
  uint32_t size;
  bool long_column;
};

FetchColumnForm SetupFetchColumn(int16_t sql_type, uint32_t length, uint32_t precision,
                                 int16_t scale);
// The slot of column `column` (from 1), null without fetch buffers or for
// a number outside them.
LnaFetchSlot* FetchSlot(const DrvStmt* statement, uint32_t column);
// Builds the fetch buffers when the statement has none, then fetches the
// next row into them. SQL_NO_DATA_FOUND after the last row.
SQLRETURN DrvFetch(DrvStmt* statement);
