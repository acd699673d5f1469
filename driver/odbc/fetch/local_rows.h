// The result sets the driver serves from the connection's login data
// instead of the server: the data-type list (SQLGetTypeInfo) and the
// table-type list (SQLTables). Their catalog functions describe them; the
// fetch path moves through their rows and reads their values here.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvStmt;

// Result kinds of the locally served result sets.
enum : uint16_t {
  kLocalTableTypes = 5,
  kLocalTypeList = 9,
};

// The type-list selector's values besides the index of a selected entry.
constexpr int16_t kTypeListAll = -1;
constexpr int16_t kTypeListEverything = -99;  // nothing is skipped

// The SQL type of a column of the current local result set.
int16_t LocalColumnSqlType(const DrvStmt* statement, uint16_t icol);
// Moves to the next row of a local result set: true with the statement's
// row count on it, false at the end (fetch status 2).
bool NextLocalRow(DrvStmt* statement);
// Column `icol` of the current local row converted to `c_type` into
// `buffer`: *total the value's length from the bytes already handed out
// on (SQL_NULL_DATA for NULL), *handed what went into the buffer.
SQLRETURN GetLocalColumnValue(DrvStmt* statement, uint16_t icol, int16_t c_type, void* buffer,
                              int32_t buffer_length, int32_t* total, int32_t* handed);
