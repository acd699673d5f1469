// Exports of the catalog functions and SQLGetTypeInfo.
#include <sql.h>
#include <sqlext.h>

#include "driver/odbc/api/drv_entry.h"
#include "driver/odbc/catalog/catalog_api.h"
#include "driver/odbc/catalog/tables_api.h"
#include "driver/odbc/catalog/type_info_api.h"
#include "driver/odbc/core/export_guard.h"

namespace {

template <typename Worker, typename... Args>
SQLRETURN Forward(Worker worker, SQLHSTMT hstmt, Args... args) {
  if (!DrvAttached()) return SQL_ERROR;
  return GuardStmt(hstmt, [&] { return worker(hstmt, args...); });
}

}  // namespace

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLTables(SQLHSTMT hstmt, SQLCHAR* szCatalogName,
                                            SQLSMALLINT cbCatalogName, SQLCHAR* szSchemaName,
                                            SQLSMALLINT cbSchemaName, SQLCHAR* szTableName,
                                            SQLSMALLINT cbTableName, SQLCHAR* szTableType,
                                            SQLSMALLINT cbTableType) {
  return Forward(SQLTablesImpl, hstmt, szCatalogName, cbCatalogName, szSchemaName, cbSchemaName,
                 szTableName, cbTableName, szTableType, cbTableType);
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLColumns(SQLHSTMT hstmt, SQLCHAR* szCatalogName,
                                             SQLSMALLINT cbCatalogName, SQLCHAR* szSchemaName,
                                             SQLSMALLINT cbSchemaName, SQLCHAR* szTableName,
                                             SQLSMALLINT cbTableName, SQLCHAR* szColumnName,
                                             SQLSMALLINT cbColumnName) {
  return Forward(SQLColumnsImpl, hstmt, szCatalogName, cbCatalogName, szSchemaName, cbSchemaName,
                 szTableName, cbTableName, szColumnName, cbColumnName);
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLStatistics(SQLHSTMT hstmt, SQLCHAR* szCatalogName,
                                                SQLSMALLINT cbCatalogName, SQLCHAR* szSchemaName,
                                                SQLSMALLINT cbSchemaName, SQLCHAR* szTableName,
                                                SQLSMALLINT cbTableName, SQLUSMALLINT fUnique,
                                                SQLUSMALLINT fAccuracy) {
  return Forward(SQLStatisticsImpl, hstmt, szCatalogName, cbCatalogName, szSchemaName, cbSchemaName,
                 szTableName, cbTableName, fUnique, fAccuracy);
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLSpecialColumns(SQLHSTMT hstmt, SQLUSMALLINT fColType,
                                                    SQLCHAR* szCatalogName,
                                                    SQLSMALLINT cbCatalogName,
                                                    SQLCHAR* szSchemaName, SQLSMALLINT cbSchemaName,
                                                    SQLCHAR* szTableName, SQLSMALLINT cbTableName,
                                                    SQLUSMALLINT fScope, SQLUSMALLINT fNullable) {
  return Forward(SQLSpecialColumnsImpl, hstmt, fColType, szCatalogName, cbCatalogName, szSchemaName,
                 cbSchemaName, szTableName, cbTableName, fScope, fNullable);
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLPrimaryKeys(SQLHSTMT hstmt, SQLCHAR* szCatalogName,
                                                 SQLSMALLINT cbCatalogName, SQLCHAR* szSchemaName,
                                                 SQLSMALLINT cbSchemaName, SQLCHAR* szTableName,
                                                 SQLSMALLINT cbTableName) {
  return Forward(SQLPrimaryKeysImpl, hstmt, szCatalogName, cbCatalogName, szSchemaName,
                 cbSchemaName, szTableName, cbTableName);
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLForeignKeys(
    SQLHSTMT hstmt, SQLCHAR* szPkCatalogName, SQLSMALLINT cbPkCatalogName, SQLCHAR* szPkSchemaName,
    SQLSMALLINT cbPkSchemaName, SQLCHAR* szPkTableName, SQLSMALLINT cbPkTableName,
    SQLCHAR* szFkCatalogName, SQLSMALLINT cbFkCatalogName, SQLCHAR* szFkSchemaName,
    SQLSMALLINT cbFkSchemaName, SQLCHAR* szFkTableName, SQLSMALLINT cbFkTableName) {
  return Forward(SQLForeignKeysImpl, hstmt, szPkCatalogName, cbPkCatalogName, szPkSchemaName,
                 cbPkSchemaName, szPkTableName, cbPkTableName, szFkCatalogName, cbFkCatalogName,
                 szFkSchemaName, cbFkSchemaName, szFkTableName, cbFkTableName);
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLProcedures(SQLHSTMT hstmt, SQLCHAR* szCatalogName,
                                                SQLSMALLINT cbCatalogName, SQLCHAR* szSchemaName,
                                                SQLSMALLINT cbSchemaName, SQLCHAR* szProcName,
                                                SQLSMALLINT cbProcName) {
  return Forward(SQLProceduresImpl, hstmt, szCatalogName, cbCatalogName, szSchemaName, cbSchemaName,
                 szProcName, cbProcName);
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLProcedureColumns(SQLHSTMT hstmt, SQLCHAR* szCatalogName,
                                                      SQLSMALLINT cbCatalogName,
                                                      SQLCHAR* szSchemaName,
                                                      SQLSMALLINT cbSchemaName, SQLCHAR* szProcName,
                                                      SQLSMALLINT cbProcName, SQLCHAR* szColumnName,
                                                      SQLSMALLINT cbColumnName) {
  return Forward(SQLProcedureColumnsImpl, hstmt, szCatalogName, cbCatalogName, szSchemaName,
                 cbSchemaName, szProcName, cbProcName, szColumnName, cbColumnName);
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLTablePrivileges(SQLHSTMT hstmt, SQLCHAR* szCatalogName,
                                                     SQLSMALLINT cbCatalogName,
                                                     SQLCHAR* szSchemaName,
                                                     SQLSMALLINT cbSchemaName, SQLCHAR* szTableName,
                                                     SQLSMALLINT cbTableName) {
  return Forward(SQLTablePrivilegesImpl, hstmt, szCatalogName, cbCatalogName, szSchemaName,
                 cbSchemaName, szTableName, cbTableName);
}

VEL_ODBC_EXPORT SQLRETURN SQL_API
SQLColumnPrivileges(SQLHSTMT hstmt, SQLCHAR* szCatalogName, SQLSMALLINT cbCatalogName,
                    SQLCHAR* szSchemaName, SQLSMALLINT cbSchemaName, SQLCHAR* szTableName,
                    SQLSMALLINT cbTableName, SQLCHAR* szColumnName, SQLSMALLINT cbColumnName) {
  return Forward(SQLColumnPrivilegesImpl, hstmt, szCatalogName, cbCatalogName, szSchemaName,
                 cbSchemaName, szTableName, cbTableName, szColumnName, cbColumnName);
}

VEL_ODBC_EXPORT SQLRETURN SQL_API SQLGetTypeInfo(SQLHSTMT hstmt, SQLSMALLINT fSqlType) {
  return Forward(SQLGetTypeInfoImpl, hstmt, fSqlType);
}
