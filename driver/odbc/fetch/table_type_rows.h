// The local result set that lists the table types a connection's server
// announced at login.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvStmt;

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
