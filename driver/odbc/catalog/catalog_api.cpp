#include "driver/odbc/catalog/catalog_api.h"

#include <sqlext.h>

#include <cstdio>

#include "driver/lna/lna_call.h"
#include "driver/odbc/catalog/catalog_worker.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/stmt_state.h"
#include "driver/odbc/fetch/catalog_columns.h"
#include "wire/column_desc.h"

namespace {

// SQL_API numbers of the catalog functions.
enum : uint16_t {
  kApiColumns = 40,
  kApiSpecialColumns = 52,
  kApiStatistics = 53,
  kApiColumnPrivileges = 56,
  kApiForeignKeys = 60,
  kApiPrimaryKeys = 65,
  kApiProcedureColumns = 66,
  kApiProcedures = 67,
  kApiTablePrivileges = 70,
};

// A server operation's reply: the columns it describes and their count.
struct Reply {
  LnaColumnDesc* columns = nullptr;
  uint16_t count = 0;
};

uint8_t Async(const DrvStmt* statement) {
  return StmtIsAsync(statement) ? 1 : 0;
}

}  // namespace

SQLRETURN DrvColumns(DrvStmt* statement, const char* qualifier, const char* owner,
                     const char* table, const char* column) {
  Reply r;
  int16_t status = LnaColumnsSP(statement->lna, qualifier, owner, table, column, &r.columns,
                                &r.count, Async(statement));
  return CatalogReply(statement, status, r.columns, r.count);
}

SQLRETURN DrvColumnPrivileges(DrvStmt* statement, const char* qualifier, const char* owner,
                              const char* table, const char* column) {
  Reply r;
  int16_t status = LnaColumnPrivilegesSP(statement->lna, qualifier, owner, table, column,
                                         &r.columns, &r.count, Async(statement));
  return CatalogReply(statement, status, r.columns, r.count);
}

SQLRETURN DrvForeignKeys(DrvStmt* statement, const char* pk_qualifier, const char* pk_owner,
                         const char* pk_table, const char* fk_qualifier, const char* fk_owner,
                         const char* fk_table) {
  Reply r;
  int16_t status = LnaForeignKeysSP(statement->lna, pk_qualifier, pk_owner, pk_table, fk_qualifier,
                                    fk_owner, fk_table, &r.columns, &r.count, Async(statement));
  return CatalogReply(statement, status, r.columns, r.count);
}

SQLRETURN DrvPrimaryKeys(DrvStmt* statement, const char* qualifier, const char* owner,
                         const char* table) {
  Reply r;
  int16_t status = LnaPrimaryKeysSP(statement->lna, qualifier, owner, table, &r.columns, &r.count,
                                    Async(statement));
  return CatalogReply(statement, status, r.columns, r.count);
}

SQLRETURN DrvProcedureColumns(DrvStmt* statement, const char* qualifier, const char* owner,
                              const char* procedure, const char* column) {
  Reply r;
  int16_t status = LnaProcedureColumnsSP(statement->lna, qualifier, owner, procedure, column,
                                         &r.columns, &r.count, Async(statement));
  return CatalogReply(statement, status, r.columns, r.count);
}

SQLRETURN DrvProcedures(DrvStmt* statement, const char* qualifier, const char* owner,
                        const char* procedure) {
  Reply r;
  int16_t status = LnaProceduresSP(statement->lna, qualifier, owner, procedure, &r.columns,
                                   &r.count, Async(statement));
  return CatalogReply(statement, status, r.columns, r.count);
}

SQLRETURN DrvSpecialColumns(DrvStmt* statement, uint16_t column_type, const char* qualifier,
                            const char* owner, const char* table, uint16_t scope,
                            uint16_t nullable) {
  Reply r;
  int16_t status = LnaSpecialColumnsSP(statement->lna, column_type, qualifier, owner, table, scope,
                                       nullable, &r.columns, &r.count, Async(statement));
  return CatalogReply(statement, status, r.columns, r.count);
}

SQLRETURN DrvStatistics(DrvStmt* statement, const char* qualifier, const char* owner,
                        const char* table, uint16_t unique, uint16_t accuracy) {
  Reply r;
  int16_t status = LnaStatisticsSP(statement->lna, qualifier, owner, table, unique, accuracy,
                                   &r.columns, &r.count, Async(statement));
  return CatalogReply(statement, status, r.columns, r.count);
}

SQLRETURN DrvTablePrivileges(DrvStmt* statement, const char* qualifier, const char* owner,
                             const char* table) {
  Reply r;
  int16_t status = LnaTablePrivilegesSP(statement->lna, qualifier, owner, table, &r.columns,
                                        &r.count, Async(statement));
  return CatalogReply(statement, status, r.columns, r.count);
}

SQLRETURN SQLColumnsImpl(SQLHSTMT hstmt, SQLCHAR* szTableQualifier, SQLSMALLINT cbTableQualifier,
                         SQLCHAR* szTableOwner, SQLSMALLINT cbTableOwner, SQLCHAR* szTableName,
                         SQLSMALLINT cbTableName, SQLCHAR* szColumnName, SQLSMALLINT cbColumnName) {
  const CatalogString strings[] = {
      {szTableQualifier, cbTableQualifier, SQL_MAX_QUALIFIER_NAME_LEN},
      {szTableOwner, cbTableOwner, SQL_MAX_OWNER_NAME_LEN},
      {szTableName, cbTableName, SQL_MAX_TABLE_NAME_LEN},
      {szColumnName, cbColumnName, SQL_MAX_COLUMN_NAME_LEN},
  };
  return CatalogFunction(hstmt, "SQLColumns", kApiColumns, kKindColumns, strings, 4, nullptr, "",
                         [](DrvStmt* statement, const ArgCopy* a) {
                           return DrvColumns(statement, a[0].text, a[1].text, a[2].text, a[3].text);
                         });
}

SQLRETURN SQLColumnPrivilegesImpl(SQLHSTMT hstmt, SQLCHAR* szTableQualifier,
                                  SQLSMALLINT cbTableQualifier, SQLCHAR* szTableOwner,
                                  SQLSMALLINT cbTableOwner, SQLCHAR* szTableName,
                                  SQLSMALLINT cbTableName, SQLCHAR* szColumnName,
                                  SQLSMALLINT cbColumnName) {
  const CatalogString strings[] = {
      {szTableQualifier, cbTableQualifier, SQL_MAX_QUALIFIER_NAME_LEN},
      {szTableOwner, cbTableOwner, SQL_MAX_OWNER_NAME_LEN},
      {szTableName, cbTableName, SQL_MAX_TABLE_NAME_LEN},
      {szColumnName, cbColumnName, SQL_MAX_COLUMN_NAME_LEN},
  };
  return CatalogFunction(hstmt, "SQLColumnPrivileges", kApiColumnPrivileges, kKindColumnPrivileges,
                         strings, 4, nullptr, "", [](DrvStmt* statement, const ArgCopy* a) {
                           return DrvColumnPrivileges(statement, a[0].text, a[1].text, a[2].text,
                                                      a[3].text);
                         });
}

SQLRETURN SQLForeignKeysImpl(SQLHSTMT hstmt, SQLCHAR* szPkTableQualifier,
                             SQLSMALLINT cbPkTableQualifier, SQLCHAR* szPkTableOwner,
                             SQLSMALLINT cbPkTableOwner, SQLCHAR* szPkTableName,
                             SQLSMALLINT cbPkTableName, SQLCHAR* szFkTableQualifier,
                             SQLSMALLINT cbFkTableQualifier, SQLCHAR* szFkTableOwner,
                             SQLSMALLINT cbFkTableOwner, SQLCHAR* szFkTableName,
                             SQLSMALLINT cbFkTableName) {
  const CatalogString strings[] = {
      {szPkTableQualifier, cbPkTableQualifier, SQL_MAX_QUALIFIER_NAME_LEN},
      {szPkTableOwner, cbPkTableOwner, SQL_MAX_OWNER_NAME_LEN},
      {szPkTableName, cbPkTableName, SQL_MAX_TABLE_NAME_LEN},
      {szFkTableQualifier, cbFkTableQualifier, SQL_MAX_QUALIFIER_NAME_LEN},
      {szFkTableOwner, cbFkTableOwner, SQL_MAX_OWNER_NAME_LEN},
      {szFkTableName, cbFkTableName, SQL_MAX_TABLE_NAME_LEN},
  };
  // Both qualifiers, then both owners, then both tables.
  static constexpr uint32_t kPairs[] = {0, 3, 1, 4, 2, 5};
  return CatalogFunction(hstmt, "SQLForeignKeys", kApiForeignKeys, kKindForeignKeys, strings, 6,
                         kPairs, "", [](DrvStmt* statement, const ArgCopy* a) {
                           return DrvForeignKeys(statement, a[0].text, a[1].text, a[2].text,
                                                 a[3].text, a[4].text, a[5].text);
                         });
}

SQLRETURN SQLPrimaryKeysImpl(SQLHSTMT hstmt, SQLCHAR* szTableQualifier,
                             SQLSMALLINT cbTableQualifier, SQLCHAR* szTableOwner,
                             SQLSMALLINT cbTableOwner, SQLCHAR* szTableName,
                             SQLSMALLINT cbTableName) {
  const CatalogString strings[] = {
      {szTableQualifier, cbTableQualifier, SQL_MAX_QUALIFIER_NAME_LEN},
      {szTableOwner, cbTableOwner, SQL_MAX_OWNER_NAME_LEN},
      {szTableName, cbTableName, SQL_MAX_TABLE_NAME_LEN},
  };
  return CatalogFunction(hstmt, "SQLPrimaryKeys", kApiPrimaryKeys, kKindPrimaryKeys, strings, 3,
                         nullptr, "", [](DrvStmt* statement, const ArgCopy* a) {
                           return DrvPrimaryKeys(statement, a[0].text, a[1].text, a[2].text);
                         });
}

SQLRETURN SQLProcedureColumnsImpl(SQLHSTMT hstmt, SQLCHAR* szProcQualifier,
                                  SQLSMALLINT cbProcQualifier, SQLCHAR* szProcOwner,
                                  SQLSMALLINT cbProcOwner, SQLCHAR* szProcName,
                                  SQLSMALLINT cbProcName, SQLCHAR* szColumnName,
                                  SQLSMALLINT cbColumnName) {
  const CatalogString strings[] = {
      {szProcQualifier, cbProcQualifier, SQL_MAX_QUALIFIER_NAME_LEN},
      {szProcOwner, cbProcOwner, SQL_MAX_OWNER_NAME_LEN},
      {szProcName, cbProcName, SQL_MAX_PROCEDURE_NAME_LEN},
      {szColumnName, cbColumnName, SQL_MAX_COLUMN_NAME_LEN},
  };
  return CatalogFunction(hstmt, "SQLProcedureColumns", kApiProcedureColumns, kKindProcedureColumns,
                         strings, 4, nullptr, "", [](DrvStmt* statement, const ArgCopy* a) {
                           return DrvProcedureColumns(statement, a[0].text, a[1].text, a[2].text,
                                                      a[3].text);
                         });
}

SQLRETURN SQLProceduresImpl(SQLHSTMT hstmt, SQLCHAR* szProcQualifier, SQLSMALLINT cbProcQualifier,
                            SQLCHAR* szProcOwner, SQLSMALLINT cbProcOwner, SQLCHAR* szProcName,
                            SQLSMALLINT cbProcName) {
  const CatalogString strings[] = {
      {szProcQualifier, cbProcQualifier, SQL_MAX_QUALIFIER_NAME_LEN},
      {szProcOwner, cbProcOwner, SQL_MAX_OWNER_NAME_LEN},
      {szProcName, cbProcName, SQL_MAX_PROCEDURE_NAME_LEN},
  };
  return CatalogFunction(hstmt, "SQLProcedures", kApiProcedures, kKindProcedures, strings, 3,
                         nullptr, "", [](DrvStmt* statement, const ArgCopy* a) {
                           return DrvProcedures(statement, a[0].text, a[1].text, a[2].text);
                         });
}

SQLRETURN SQLSpecialColumnsImpl(SQLHSTMT hstmt, SQLUSMALLINT fColType, SQLCHAR* szTableQualifier,
                                SQLSMALLINT cbTableQualifier, SQLCHAR* szTableOwner,
                                SQLSMALLINT cbTableOwner, SQLCHAR* szTableName,
                                SQLSMALLINT cbTableName, SQLUSMALLINT fScope,
                                SQLUSMALLINT fNullable) {
  const CatalogString strings[] = {
      {szTableQualifier, cbTableQualifier, SQL_MAX_QUALIFIER_NAME_LEN},
      {szTableOwner, cbTableOwner, SQL_MAX_OWNER_NAME_LEN},
      {szTableName, cbTableName, SQL_MAX_TABLE_NAME_LEN},
  };
  char tail[32];
  std::snprintf(tail, sizeof tail, ", %u, %u", static_cast<unsigned>(fScope),
                static_cast<unsigned>(fNullable));
  return CatalogFunction(hstmt, "SQLSpecialColumns", kApiSpecialColumns, kKindSpecialColumns,
                         strings, 3, nullptr, tail, [&](DrvStmt* statement, const ArgCopy* a) {
                           return DrvSpecialColumns(statement, fColType, a[0].text, a[1].text,
                                                    a[2].text, fScope, fNullable);
                         });
}

SQLRETURN SQLStatisticsImpl(SQLHSTMT hstmt, SQLCHAR* szTableQualifier, SQLSMALLINT cbTableQualifier,
                            SQLCHAR* szTableOwner, SQLSMALLINT cbTableOwner, SQLCHAR* szTableName,
                            SQLSMALLINT cbTableName, SQLUSMALLINT fUnique, SQLUSMALLINT fAccuracy) {
  const CatalogString strings[] = {
      {szTableQualifier, cbTableQualifier, SQL_MAX_QUALIFIER_NAME_LEN},
      {szTableOwner, cbTableOwner, SQL_MAX_OWNER_NAME_LEN},
      {szTableName, cbTableName, SQL_MAX_TABLE_NAME_LEN},
  };
  char tail[32];
  std::snprintf(tail, sizeof tail, ", %u, %u", static_cast<unsigned>(fUnique),
                static_cast<unsigned>(fAccuracy));
  return CatalogFunction(hstmt, "SQLStatistics", kApiStatistics, kKindStatistics, strings, 3,
                         nullptr, tail, [&](DrvStmt* statement, const ArgCopy* a) {
                           return DrvStatistics(statement, a[0].text, a[1].text, a[2].text, fUnique,
                                                fAccuracy);
                         });
}

SQLRETURN SQLTablePrivilegesImpl(SQLHSTMT hstmt, SQLCHAR* szTableQualifier,
                                 SQLSMALLINT cbTableQualifier, SQLCHAR* szTableOwner,
                                 SQLSMALLINT cbTableOwner, SQLCHAR* szTableName,
                                 SQLSMALLINT cbTableName) {
  const CatalogString strings[] = {
      {szTableQualifier, cbTableQualifier, SQL_MAX_QUALIFIER_NAME_LEN},
      {szTableOwner, cbTableOwner, SQL_MAX_OWNER_NAME_LEN},
      {szTableName, cbTableName, SQL_MAX_TABLE_NAME_LEN},
  };
  return CatalogFunction(hstmt, "SQLTablePrivileges", kApiTablePrivileges, kKindTablePrivileges,
                         strings, 3, nullptr, "", [](DrvStmt* statement, const ArgCopy* a) {
                           return DrvTablePrivileges(statement, a[0].text, a[1].text, a[2].text);
                         });
}
