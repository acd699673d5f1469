// The two roads of a fetch behind LnaFetchMP: one row per request, or rows
// handed out of decoded row blocks, one request per block.
#pragma once

#include <cstdint>

#include "driver/lna/lna_records.h"

// Fills the column state before a fetch: the C type and the length each
// column is asked for in, 0 for a column too long for the array buffer
// (read afterwards as long data). Left alone while a result is being
// fetched on the block road, so that one result keeps one road.
void LnaMarkFetchColumns(LnaStatement* stmt, const LnaFetchSlot* slots);
// One row by procedure 15.
int16_t LnaFetchRow(LnaStatement* stmt, LnaFetchSlot* slots, uint8_t async);
// The next row out of the row blocks, asking for the next block when the
// current one is used up.
int16_t LnaFetchFromBlock(LnaStatement* stmt, LnaFetchSlot* slots, uint8_t async);
// The next row block by procedure 2, into the statement.
int16_t LnaFetchBlock(LnaStatement* stmt, uint8_t async);
// Decodes the statement's row block into its column decoders: 0, -16 for
// an empty final block, the block's own error status, or -20 for a column
// block that cannot be read.
int16_t LnaDecodeBlocks(LnaStatement* stmt);
