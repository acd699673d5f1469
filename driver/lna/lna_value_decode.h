// One column value into its fetch slot: the length-prefixed values of a
// single-row reply, and the values a column decoder hands out of a row
// block. Numbers arrive big-endian and are stored in the machine's order;
// dates, times and timestamps in the application's structure layout.
#pragma once

#include <cstdint>

#include "driver/lna/lna_call.h"
#include "driver/lna/lna_spill.h"
#include "wire/row_block.h"

// LnaNextRowValue: the value could not be kept, memory ran out.
constexpr int64_t kLnaValueNoMemory = -2;

// Decodes the value at `row`, of which `available` bytes remain in the
// reply, into the slot. The bytes the value used, or -1 for a value that
// cannot be what the server meant: its length reaches past the reply, or a
// fixed-size C type arrives in another size than its own. A null (-1) and
// -95 carry no bytes and leave the buffer alone; any other negative length
// carries no bytes either and reads as a null. A text or binary value longer
// than the buffer is kept whole in `spill`, when one is given
// (kLnaValueNoMemory when it cannot be).
int64_t LnaNextRowValue(LnaFetchSlot* slot, const uint8_t* row, uint64_t available,
                        LnaSpill* spill = nullptr);

// The column's next value into the slot. 1, or 0 for a value that no
// number, date or time of the slot's C type travels as (too long, or an
// integer of three bytes); the slot is then a null. A text or binary value
// longer than the buffer is kept whole in `spill`, when one is given (-1
// when it cannot be, memory ran out).
int LnaExtractValue(LnaFetchSlot* slot, RowBlockDecoder* decoder, LnaSpill* spill = nullptr);

// Bytes a value of a fixed-size C type takes in the application's buffer;
// 0 for the C types whose values are bytes (character, binary, the one-byte
// integers, others).
uint32_t LnaFixedValueSize(int16_t c_type);
