// The statement's fetch buffers: one value slot per result column, each
// with a buffer of its own that the call layer writes every fetched row
// into, in the C type the column travels in. Built on the first fetch of a
// result set, reused for every row, freed with the result set. Each
// column's form comes from SetupFetchColumn (wire/fetch_shape.h).
#pragma once

#include <sql.h>

#include <cstdint>

#include "driver/lna/lna_call.h"

struct DrvStmt;

// The slot of column `column` (from 1), null without fetch buffers or for
// a number outside them.
LnaFetchSlot* FetchSlot(const DrvStmt* statement, uint32_t column);
// Builds the fetch buffers when the statement has none, then fetches the
// next row into them. SQL_NO_DATA_FOUND after the last row.
SQLRETURN DrvFetch(DrvStmt* statement);
