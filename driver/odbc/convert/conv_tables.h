// The driver-wide conversion tables: the type table that gives every SQL and
// C type code its conversion class, and the square matrix of routines
// indexed [source class][target class]. They are set up with the first
// environment and released with the last; one re-entrant lock guards every
// read and change of them, and is held for the whole of each conversion.
#pragma once

#include <cstdint>

#include "driver/odbc/convert/conv_types.h"

struct SharedMutex;

constexpr uint32_t kConvNoRow = 65535;
constexpr uint32_t kConvDefaultTypeRows = 37;

// Adds a reference to the conversion lock (the first creates it); resets
// the counts while no table is active. 0.
int32_t ConvInit();
// Drops a reference to the lock (the last deletes it). 0.
int32_t ConvTerm();

// Activates the tables with room for `added_types` types beyond the
// defaults and counts one use. 0, or -5 when memory runs out (the use is
// dropped again and the tables stay as they were).
int32_t RegisterConvTypes(uint32_t added_types);
// Drops one use; the last frees enlarged copies (the static defaults stay).
void ReleaseConvTypes();
// The registration the environment set-up makes: the static tables only.
int32_t DrvInitConversions();

// The first row with that code, or kConvNoRow (also while no table is active).
uint32_t ConvTypeIndex(int16_t code);
// The routine for the pair of codes, null when unsupported or when a code is
// unknown; the rows found go to the out arguments (kConvNoRow when absent).
ConvRoutine ConvLookup(int16_t source_code, int16_t target_code, uint32_t* source_row,
                       uint32_t* target_row);
// The same for a caller that holds ConvLock(): every fetched value is
// converted, and the lock is taken once for it.
ConvRoutine ConvLookupHeld(int16_t source_code, int16_t target_code, uint32_t* source_row,
                           uint32_t* target_row);
// 1 when a parameter of that C type may be bound to that SQL type, else 0.
// Direction 1 (input) allows only character and binary C types for binary
// SQL types.
int ConvCheckSupported(int16_t c_type, int direction, int16_t sql_type);

// For the dispatcher, which holds the lock across lookup and call.
SharedMutex* ConvLock();
// The row, or null when it is not in use; caller holds the lock.
const ConvTypeEntry* ConvTypeRow(uint32_t row);

// For tests only.

// Filling the room that RegisterConvTypes made. A type row is appended while
// there is room and its matrix class lies inside the matrix; a cell can be
// set only in an enlarged matrix. 0, or -1.
int32_t TEST_AddConvType(int16_t code, int16_t routine_class, uint32_t matrix_class);
int32_t TEST_SetConvRoutine(uint32_t source_class, uint32_t target_class, ConvRoutine routine);
// Registrations not yet released.
uint32_t TEST_ConvUseCount();
