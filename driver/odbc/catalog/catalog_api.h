// The catalog functions the server answers: the workers of the exports and
// the wrappers that call the call layer and describe the result.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvStmt;

SQLRETURN SQLColumnsImpl(SQLHSTMT hstmt, SQLCHAR* szTableQualifier, SQLSMALLINT cbTableQualifier,
                         SQLCHAR* szTableOwner, SQLSMALLINT cbTableOwner, SQLCHAR* szTableName,
                         SQLSMALLINT cbTableName, SQLCHAR* szColumnName, SQLSMALLINT cbColumnName);
SQLRETURN SQLColumnPrivilegesImpl(SQLHSTMT hstmt, SQLCHAR* szTableQualifier,
                                  SQLSMALLINT cbTableQualifier, SQLCHAR* szTableOwner,
                                  SQLSMALLINT cbTableOwner, SQLCHAR* szTableName,
                                  SQLSMALLINT cbTableName, SQLCHAR* szColumnName,
                                  SQLSMALLINT cbColumnName);
SQLRETURN SQLForeignKeysImpl(SQLHSTMT hstmt, SQLCHAR* szPkTableQualifier,
                             SQLSMALLINT cbPkTableQualifier, SQLCHAR* szPkTableOwner,
                             SQLSMALLINT cbPkTableOwner, SQLCHAR* szPkTableName,
                             SQLSMALLINT cbPkTableName, SQLCHAR* szFkTableQualifier,
                             SQLSMALLINT cbFkTableQualifier, SQLCHAR* szFkTableOwner,
                             SQLSMALLINT cbFkTableOwner, SQLCHAR* szFkTableName,
                             SQLSMALLINT cbFkTableName);
SQLRETURN SQLPrimaryKeysImpl(SQLHSTMT hstmt, SQLCHAR* szTableQualifier,
                             SQLSMALLINT cbTableQualifier, SQLCHAR* szTableOwner,
                             SQLSMALLINT cbTableOwner, SQLCHAR* szTableName,
                             SQLSMALLINT cbTableName);
SQLRETURN SQLProcedureColumnsImpl(SQLHSTMT hstmt, SQLCHAR* szProcQualifier,
                                  SQLSMALLINT cbProcQualifier, SQLCHAR* szProcOwner,
                                  SQLSMALLINT cbProcOwner, SQLCHAR* szProcName,
                                  SQLSMALLINT cbProcName, SQLCHAR* szColumnName,
                                  SQLSMALLINT cbColumnName);
SQLRETURN SQLProceduresImpl(SQLHSTMT hstmt, SQLCHAR* szProcQualifier, SQLSMALLINT cbProcQualifier,
                            SQLCHAR* szProcOwner, SQLSMALLINT cbProcOwner, SQLCHAR* szProcName,
                            SQLSMALLINT cbProcName);
SQLRETURN SQLSpecialColumnsImpl(SQLHSTMT hstmt, SQLUSMALLINT fColType, SQLCHAR* szTableQualifier,
                                SQLSMALLINT cbTableQualifier, SQLCHAR* szTableOwner,
                                SQLSMALLINT cbTableOwner, SQLCHAR* szTableName,
                                SQLSMALLINT cbTableName, SQLUSMALLINT fScope,
                                SQLUSMALLINT fNullable);
SQLRETURN SQLStatisticsImpl(SQLHSTMT hstmt, SQLCHAR* szTableQualifier, SQLSMALLINT cbTableQualifier,
                            SQLCHAR* szTableOwner, SQLSMALLINT cbTableOwner, SQLCHAR* szTableName,
                            SQLSMALLINT cbTableName, SQLUSMALLINT fUnique, SQLUSMALLINT fAccuracy);
SQLRETURN SQLTablePrivilegesImpl(SQLHSTMT hstmt, SQLCHAR* szTableQualifier,
                                 SQLSMALLINT cbTableQualifier, SQLCHAR* szTableOwner,
                                 SQLSMALLINT cbTableOwner, SQLCHAR* szTableName,
                                 SQLSMALLINT cbTableName);

// The wrappers: the call-layer operation with the copied names (null for
// none), then the reply described on the statement.
SQLRETURN DrvColumns(DrvStmt* statement, const char* qualifier, const char* owner,
                     const char* table, const char* column);
SQLRETURN DrvColumnPrivileges(DrvStmt* statement, const char* qualifier, const char* owner,
                              const char* table, const char* column);
SQLRETURN DrvForeignKeys(DrvStmt* statement, const char* pk_qualifier, const char* pk_owner,
                         const char* pk_table, const char* fk_qualifier, const char* fk_owner,
                         const char* fk_table);
SQLRETURN DrvPrimaryKeys(DrvStmt* statement, const char* qualifier, const char* owner,
                         const char* table);
SQLRETURN DrvProcedureColumns(DrvStmt* statement, const char* qualifier, const char* owner,
                              const char* procedure, const char* column);
SQLRETURN DrvProcedures(DrvStmt* statement, const char* qualifier, const char* owner,
                        const char* procedure);
SQLRETURN DrvSpecialColumns(DrvStmt* statement, uint16_t column_type, const char* qualifier,
                            const char* owner, const char* table, uint16_t scope,
                            uint16_t nullable);
SQLRETURN DrvStatistics(DrvStmt* statement, const char* qualifier, const char* owner,
                        const char* table, uint16_t unique, uint16_t accuracy);
SQLRETURN DrvTablePrivileges(DrvStmt* statement, const char* qualifier, const char* owner,
                             const char* table);
