// The table types a connection's server announced at login: the bit mask
// a table-type list of SQLTables stands for, and the local result set that
// lists them.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvConn;
struct DrvStmt;

// The mask of the known names of a comma-separated list (names may be in
// single quotes): 0 with *mask, or -1 when the list names no known type. A
// null list is mask 0.
int32_t ParseTableTypes(const DrvConn* connection, const char* list, uint32_t* mask);
// The bit of the first table type named `name` (case ignored): 0 with *bit,
// or -1.
int32_t LookupTableType(const DrvConn* connection, const char* name, uint32_t* bit);
// The result columns of the table-type list (rows are the connection's
// table types in order). SQL_SUCCESS, or SQL_ERROR with 5136 posted.
SQLRETURN BuildTableTypeRows(DrvStmt* statement);
// Column `column` of the current row (the statement's row count, from 1):
// TABLE_TYPE as text from the bytes of it already handed out on, with the
// length of that rest in *length (a fixed-size C type gets the name
// converted to it); the other columns are NULL. 0, 1 when the name was cut
// to fit, or SQL_ERROR (posted) when it does not convert.
SQLRETURN GetTableTypeValue(DrvStmt* statement, uint16_t column, int16_t c_type, void* buffer,
                            SQLLEN buffer_length, SQLLEN* length);
