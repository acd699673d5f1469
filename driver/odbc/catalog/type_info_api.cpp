#include "driver/odbc/catalog/type_info_api.h"

#include <sqlext.h>

#include "common/trace.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/server_types.h"
#include "driver/odbc/core/stmt_state.h"
#include "driver/odbc/diag/trace_addr.h"
#include "driver/odbc/fetch/catalog_columns.h"
#include "driver/odbc/fetch/local_column.h"
#include "driver/odbc/statement/stmt_ready.h"
#include "driver/odbc/statement/text_helpers.h"

namespace {

constexpr int16_t kAllTypesNoSkip = -99;
constexpr int16_t kAllTypes = -1;
constexpr uint16_t kNoMoreRows = 2;

// The driver manager hands an ODBC 3 application's date, time and
// timestamp codes on as they are; the server's table holds the ODBC 2
// codes of the same types.
int16_t Odbc2Type(int16_t sql_type) {
  switch (sql_type) {
    case SQL_TYPE_DATE:
      return SQL_DATE;
    case SQL_TYPE_TIME:
      return SQL_TIME;
    case SQL_TYPE_TIMESTAMP:
      return SQL_TIMESTAMP;
    default:
      return sql_type;
  }
}

// The local records of the data-type list, in column order.
constexpr LocalColumn Text() {
  return {SQL_C_CHAR, 128};
}
constexpr LocalColumn Short() {
  return {SQL_C_SSHORT, 0};
}
constexpr LocalColumn kTypeInfoColumns[15] = {
    Text(),  Short(), {SQL_C_SLONG, 0}, Text(),  Text(), Text(),  Short(), Short(),
    Short(), Short(), Short(),          Short(), Text(), Short(), Short(),
};

// SQLGetTypeInfo inside its statement shell: the local list of the
// server's types, all of them or those of one SQL type.
SQLRETURN OpenTypeList(DrvStmt* statement, SQLSMALLINT fSqlType) {
  DrvConn* connection = statement->conn;
  // The call itself never waits, so whatever is outstanding is another
  // function's.
  if (StmtIsAsync(statement) && statement->pending != 0) {
    PostStmtError(statement, kMsgErrOutOfSequence, 0, nullptr);
    return SQL_ERROR;
  }
  if (!StmtCheckCatalogState(statement)) return SQL_ERROR;

  if (fSqlType == SQL_ALL_TYPES || fSqlType == kAllTypesNoSkip) {
    statement->type_list_selector = fSqlType == SQL_ALL_TYPES ? kAllTypes : kAllTypesNoSkip;
    statement->row_count = 0;
    statement->fetch_status = 0;
  } else {
    int32_t index = 0;
    if (FindTypeInfoEntry(connection, kColumnSide, fSqlType, &index) == 0 ||
        (Odbc2Type(fSqlType) != fSqlType &&
         FindTypeInfoEntry(connection, kColumnSide, Odbc2Type(fSqlType), &index) == 0)) {
      statement->type_list_selector = static_cast<int16_t>(index);
      statement->row_count = static_cast<uint32_t>(index);
      statement->fetch_status = 0;
    } else {
      statement->fetch_status = kNoMoreRows;
    }
  }
  DrvResetStmt(statement);
  if (StoreLocalColumns(statement, kTypeInfoColumns, 15) != SQL_SUCCESS) return SQL_ERROR;
  statement->result_class = kResultRows;
  statement->result_kind = kKindTypeInfo;
  statement->state = kStmtResultOpen;
  if (statement->cursor_name[0] == '\0') MakeCursorName(statement);
  statement->prepared = 0;
  return SQL_SUCCESS;
}

}  // namespace

SQLRETURN SQLGetTypeInfoImpl(SQLHSTMT hstmt, SQLSMALLINT fSqlType) {
  return StatementEntry(
      hstmt, "SQLGetTypeInfo",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLGetTypeInfo(0x%08lx, %d)", TraceAddr(hstmt), fSqlType);
      },
      [&](DrvStmt* statement) { return OpenTypeList(statement, fSqlType); });
}
