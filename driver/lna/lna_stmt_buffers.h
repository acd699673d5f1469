// What a statement's fetch keeps between calls: the last row block, the
// column decoders and the column state. Released on a new result, at the
// end of a result and with the statement.
#pragma once

#include <cstdint>

#include "driver/lna/lna_records.h"
#include "wire/column_desc.h"

// Frees the row block's bytes and clears the block.
void LnaFreeBlockBytes(LnaStatement* stmt);
// Before the next block is asked for: the row block goes aside while the
// decoders may still read it (freed once the next block is decoded), or is
// freed when they do not.
void LnaSetBlockAside(LnaStatement* stmt);
// After the row block was decoded: the block set aside is not read any more.
void LnaFreeBlockAside(LnaStatement* stmt);
// LnaFreeBlockBytes and LnaFreeBlockAside, then every column decoder and
// the decoder array.
void LnaFreeDecoders(LnaStatement* stmt);
// LnaFreeDecoders; fetch state: a new result.
void LnaResetStmt(LnaStatement* stmt);
// Frees the column state array; column count 0.
void LnaFreeColumnState(LnaStatement* stmt);
// A new zeroed column state of `count` entries for a new result; marks the
// long columns (SQL types -1 and -4) when descriptions are given. -20 with
// a diagnostic when memory runs out.
int16_t LnaSetResultColumns(LnaStatement* stmt, uint16_t count, const LnaColumnDesc* columns);
