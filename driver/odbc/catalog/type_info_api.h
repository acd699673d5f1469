// SQLGetTypeInfo, answered from the data types the server announced at
// login, and the server type names that describe catalog result columns.
#pragma once

#include <sql.h>

#include <cstddef>
#include <cstdint>

struct DrvConn;
struct DrvStmt;

SQLRETURN SQLGetTypeInfoImpl(SQLHSTMT hstmt, SQLSMALLINT fSqlType);

// The server's name for the SQL type, else a substitute's (below), into
// `buffer` of `size` bytes, cut to fit.
void ServerTypeName(const DrvConn* connection, char* buffer, size_t size, int16_t sql_type);
// The name of the first type the server has among the stand-ins for an
// integer, small integer or varchar type; else the driver's text for NULL
// (the buffer is left as it is when even that cannot be had).
void SubstituteTypeName(const DrvConn* connection, char* buffer, size_t size, int16_t sql_type);
// 1 with the local name of the server's first type of that SQL type (empty
// when it has none), or 0 when the server has no such type.
int LookupServerTypeName(const DrvConn* connection, char* buffer, size_t size, int16_t sql_type);
// A column attribute's text into the application's buffer: the full length
// in *length; cut to fit with a buffer given posts 01004 and gives
// SQL_SUCCESS_WITH_INFO. A null text is empty.
SQLRETURN CopyOutAttrString(DrvStmt* statement, const char* text, void* buffer,
                            SQLSMALLINT buffer_length, SQLSMALLINT* length);
