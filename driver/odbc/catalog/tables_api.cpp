#include "driver/odbc/catalog/tables_api.h"

#include <sqlext.h>

#include <cstring>

#include "driver/lna/lna_call.h"
#include "driver/odbc/catalog/catalog_worker.h"
#include "driver/odbc/catalog/table_types.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/stmt_state.h"
#include "driver/odbc/fetch/catalog_columns.h"
#include "driver/odbc/fetch/table_type_rows.h"
#include "driver/odbc/statement/stmt_ready.h"
#include "wire/column_desc.h"

namespace {

constexpr uint32_t kAllTableTypes = 0xFFFFFFFFu;

// Given, and with no characters.
bool Empty(const SQLCHAR* text, SQLSMALLINT length) {
  return text != nullptr && (length == 0 || text[0] == '\0');
}

bool NullOrEmpty(const SQLCHAR* text, SQLSMALLINT length) {
  return text == nullptr || Empty(text, length);
}

// Exactly "%": terminated, or a length of one.
bool Percent(const SQLCHAR* text, SQLSMALLINT length) {
  if (text == nullptr) return false;
  if (length == SQL_NTS) return std::strcmp(reinterpret_cast<const char*>(text), "%") == 0;
  return length == 1 && text[0] == '%';
}

// Only the first character counts: "%" followed by more text asks for
// the list as well.
bool AsksTableTypes(const SQLCHAR* text, SQLSMALLINT length) {
  return text != nullptr && (length == SQL_NTS || length == 1) && text[0] == '%';
}

}  // namespace

SQLRETURN DrvTables(DrvStmt* statement, const char* qualifier, const char* owner, const char* name,
                    uint32_t types) {
  LnaColumnDesc* columns = nullptr;
  uint16_t count = 0;
  int16_t status = LnaTablesSP(statement->lna, qualifier, owner, name, types, &columns, &count,
                               StmtIsAsync(statement) ? 1 : 0);
  return CatalogReply(statement, status, columns, count);
}

SQLRETURN DrvTablesQualifierList(DrvStmt* statement) {
  return DrvTables(statement, "%", "", "", 0);
}

SQLRETURN DrvTablesOwnerList(DrvStmt* statement) {
  return DrvTables(statement, "", "%", "", 0);
}

namespace {

// SQLTables inside its statement shell: the lists its patterns ask for, or
// the tables themselves. `strings`: qualifier, owner, name and type.
SQLRETURN ListTables(DrvStmt* statement, const CatalogString* strings) {
  const CatalogString& qualifier = strings[0];
  const CatalogString& owner = strings[1];
  const CatalogString& name = strings[2];
  const CatalogString& type = strings[3];
  ArgCopy copies[4] = {};
  uint16_t kind = kKindTables;
  SQLRETURN code = SQL_ERROR;
  auto finish = [&] {
    OpenCatalogResult(statement, kind, code);
    FreeArgCopy(copies, 4);
    return code;
  };
  auto call = [&](auto wrapper) { code = CatalogCall(statement, SQL_API_SQLTABLES, wrapper); };

  CatalogEntry entry = CatalogBegin(statement, SQL_API_SQLTABLES);
  if (entry == CatalogEntry::kRefused) return finish();
  if (entry == CatalogEntry::kResume) {
    switch (statement->result_kind) {
      case kKindTables:
        call([&] { return DrvTables(statement, nullptr, nullptr, nullptr, 0); });
        return finish();
      case kKindQualifierList:
        kind = kKindQualifierList;
        call([&] { return DrvTablesQualifierList(statement); });
        return finish();
      case kKindOwnerList:
        kind = kKindOwnerList;
        call([&] { return DrvTablesOwnerList(statement); });
        return finish();
      default:
        break;
    }
  }
  if (!StmtCheckCatalogState(statement)) return finish();

  if (Empty(qualifier.text, qualifier.length) && Empty(name.text, name.length) &&
      Percent(owner.text, owner.length)) {
    DrvResetStmt(statement);
    kind = kKindOwnerList;
    call([&] { return DrvTablesOwnerList(statement); });
    return finish();
  }
  if (Empty(owner.text, owner.length) && Empty(name.text, name.length) &&
      Percent(qualifier.text, qualifier.length)) {
    DrvResetStmt(statement);
    kind = kKindQualifierList;
    call([&] { return DrvTablesQualifierList(statement); });
    return finish();
  }
  if (NullOrEmpty(qualifier.text, qualifier.length) && NullOrEmpty(owner.text, owner.length) &&
      NullOrEmpty(name.text, name.length) && AsksTableTypes(type.text, type.length)) {
    DrvResetStmt(statement);
    kind = kKindTableTypeList;
    call([&] { return BuildTableTypeRows(statement); });
    return finish();
  }

  if (!CopyCatalogStrings(statement, strings, nullptr, 4, copies)) return finish();
  uint32_t mask = 0;
  if (ParseTableTypes(statement->conn, copies[3].text, &mask) != 0) mask = kAllTableTypes;
  DrvResetStmt(statement);
  call([&] { return DrvTables(statement, copies[0].text, copies[1].text, copies[2].text, mask); });
  return finish();
}

}  // namespace

SQLRETURN SQLTablesImpl(SQLHSTMT hstmt, SQLCHAR* szTableQualifier, SQLSMALLINT cbTableQualifier,
                        SQLCHAR* szTableOwner, SQLSMALLINT cbTableOwner, SQLCHAR* szTableName,
                        SQLSMALLINT cbTableName, SQLCHAR* szTableType, SQLSMALLINT cbTableType) {
  const CatalogString strings[] = {
      {szTableQualifier, cbTableQualifier, SQL_MAX_QUALIFIER_NAME_LEN},
      {szTableOwner, cbTableOwner, SQL_MAX_OWNER_NAME_LEN},
      {szTableName, cbTableName, SQL_MAX_TABLE_NAME_LEN},
      {szTableType, cbTableType, 0},
  };
  return StatementEntry(
      hstmt, "SQLTables",
      [&](TraceHandle* trace) { TraceCatalogEntry(trace, "SQLTables", hstmt, strings, 4, ""); },
      [&](DrvStmt* statement) { return ListTables(statement, strings); });
}
