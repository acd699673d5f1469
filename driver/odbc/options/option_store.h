// Where the driver keeps option values: the connection's fields and the
// statement option blocks, by ODBC option number.
#pragma once

#include <sql.h>

#include <cstdint>

#include "driver/odbc/core/stmt_options.h"

struct DrvConn;

// Room an option text gets in the caller's buffer, NUL included.
constexpr uint32_t kOptionTextSize = 256;

// Sets the connection field of options 101 to 112 (104 and 105 are not
// kept). SQL_TRANSLATE_DLL loads the library named by the text at `value`;
// SQL_CURRENT_QUALIFIER copies the text at `value`, which the caller has
// checked. SQL_SUCCESS, or what loading the library returned.
SQLRETURN StoreConnectOption(uint16_t option, DrvConn* connection, SQLULEN value);
// Writes the kept value of options 101 to 112 at `out`: 32 bits, a
// pointer-sized SQL_QUIET_MODE, or a text of at most kOptionTextSize bytes
// (the library name, empty when none is loaded; the qualifier). 104 and 105
// write nothing.
void ReadConnectOption(uint16_t option, const DrvConn* connection, void* out);

// The slot of statement option 0 to 14; kStmtOptionSlots for any other.
uint32_t StmtOptionSlot(uint16_t option);
// Stores options 0 to 12 in the block; other options are not kept.
void StoreStmtOption(uint16_t option, StmtOptions* block, uint32_t value);
// Writes option 0 to 14 at `out`: 64 bits for SQL_MAX_ROWS, SQL_MAX_LENGTH,
// SQL_KEYSET_SIZE and SQL_ROWSET_SIZE, 32 bits for the others.
void ReadStmtOption(uint16_t option, const StmtOptions* block, void* out);
