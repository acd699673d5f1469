// A parameter binding refused for its types: the diagnostic names the C and
// SQL types, so that an application binding wide characters (which an
// ODBC 2 driver does not take) learns what to bind instead.
#pragma once

#include <sql.h>

#include <cstdint>
#include <string>

struct DrvStmt;

// The catalogue's words of `number` followed by the two types and, for wide
// text, what to bind instead, as in "Driver not capable. (C type SQL_C_CHAR
// (1), SQL type SQL_WVARCHAR (-9); bind text with the SQL type
// SQL_VARCHAR)".
std::string BindingRefusalText(uint32_t number, int16_t c_type, int16_t sql_type);
// Posts that text under `number`; SQL_ERROR.
SQLRETURN RefuseBindingTypes(DrvStmt* statement, uint32_t number, int16_t c_type, int16_t sql_type);
