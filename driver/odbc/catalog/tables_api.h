// SQLTables: the ordinary search, the lists of qualifiers and owners the
// server gives, and the list of table types the driver gives itself.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvStmt;

SQLRETURN SQLTablesImpl(SQLHSTMT hstmt, SQLCHAR* szTableQualifier, SQLSMALLINT cbTableQualifier,
                        SQLCHAR* szTableOwner, SQLSMALLINT cbTableOwner, SQLCHAR* szTableName,
                        SQLSMALLINT cbTableName, SQLCHAR* szTableType, SQLSMALLINT cbTableType);

// The search at the server; `types` is the mask of the table types asked
// for (every bit set: all).
SQLRETURN DrvTables(DrvStmt* statement, const char* qualifier, const char* owner, const char* name,
                    uint32_t types);
SQLRETURN DrvTablesQualifierList(DrvStmt* statement);
SQLRETURN DrvTablesOwnerList(DrvStmt* statement);
