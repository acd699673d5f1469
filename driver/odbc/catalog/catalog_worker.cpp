#include "driver/odbc/catalog/catalog_worker.h"

#include <sqlext.h>

#include "common/memory.h"
#include "common/trace.h"
#include "driver/odbc/connect/drv_conn.h"
#include "driver/odbc/connect/get_info.h"
#include "driver/odbc/diag/diag.h"
#include "driver/odbc/diag/message_ids.h"
#include "driver/odbc/diag/rpc_status.h"
#include "driver/odbc/fetch/result_set.h"
#include "driver/odbc/statement/drv_stmt.h"
#include "driver/odbc/statement/stmt_state.h"
#include "driver/odbc/statement/text_helpers.h"
#include "wire/column_desc.h"

namespace {

// Used when the server gives no maximum for a kind of name.
constexpr int32_t kDefaultNameMax = 255;

}  // namespace

CatalogEntry CatalogBegin(DrvStmt* statement, uint16_t api) {
  ClearHandleErrors(nullptr, nullptr, statement);
  if (!StmtIsAsync(statement) || statement->pending == 0) return CatalogEntry::kFresh;
  if (statement->pending_function == api) return CatalogEntry::kResume;
  PostStmtError(statement, kMsgErrOutOfSequence, 0, nullptr);
  return CatalogEntry::kRefused;
}

bool CopyCatalogStrings(DrvStmt* statement, const CatalogString* strings, const uint32_t* order,
                        uint32_t count, ArgCopy* copies) {
  DrvConn* connection = statement->conn;
  // Login data: the answer cannot fail, and without one nothing escapes.
  InfoValue value{};
  DrvGetInfo(connection, SQL_SEARCH_PATTERN_ESCAPE, 0, &value);
  const char escape = value.text != nullptr ? value.text[0] : '\0';
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t k = order != nullptr ? order[i] : i;
    const CatalogString& s = strings[k];
    int32_t max = kNoLengthLimit;
    if (s.max_info != 0) {
      InfoValue limit{};
      max = DrvGetInfo(connection, s.max_info, 0, &limit) == SQL_ERROR
                ? 0
                : static_cast<int32_t>(limit.number);
      if (max == 0) max = kDefaultNameMax;
    }
    uint32_t copied =
        CopyInString(&copies[k], reinterpret_cast<const char*>(s.text), s.length, max, escape);
    if (copied != kMsgErrSuccess) {
      PostStmtError(statement, copied, 0, nullptr);
      return false;
    }
  }
  return true;
}

SQLRETURN CatalogCall(DrvStmt* statement, uint16_t api, const std::function<SQLRETURN()>& wrapper) {
  StmtSnapshot snapshot;
  StmtSaveState(&snapshot, statement);
  SQLRETURN code = wrapper();
  if (code == SQL_STILL_EXECUTING) {
    statement->pending_function = api;
    statement->pending = 1;
  } else {
    if (code == SQL_ERROR && statement->pending == 1) {
      // The outstanding call has failed: what its first call opened goes,
      // and the restore must not bring back a result set that is gone.
      DrvResetStmt(statement);
      statement->state = kStmtAllocated;
      snapshot.saved.state = kStmtAllocated;
      snapshot.saved.result_class = kResultNone;
      snapshot.saved.result_kind = 0;
    }
    statement->pending_function = 0;
    statement->pending = 0;
  }
  StmtRestoreState(&snapshot, statement, code);
  return code;
}

void OpenCatalogResult(DrvStmt* statement, uint16_t kind, SQLRETURN code) {
  if (code != SQL_SUCCESS && code != SQL_SUCCESS_WITH_INFO && code != SQL_STILL_EXECUTING) return;
  statement->state = kStmtResultOpen;
  statement->result_class = kResultRows;
  statement->result_kind = kind;
  if (statement->cursor_name[0] == '\0') MakeCursorName(statement);
  statement->prepared = 0;
}

SQLRETURN CatalogReply(DrvStmt* statement, int16_t status, LnaColumnDesc* reply, uint16_t count) {
  SQLRETURN code = DrvStmtStatus(statement, status);
  if (code != SQL_ERROR && code != SQL_STILL_EXECUTING) {
    SQLRETURN built = DrvBuildResultSet(statement, reply, count);
    code = code == SQL_SUCCESS_WITH_INFO && built == SQL_SUCCESS ? code : built;
  }
  MemFree(reply);
  return code;
}

SQLRETURN RunCatalog(DrvStmt* statement, const char* name, uint16_t api, uint16_t kind,
                     const CatalogString* strings, uint32_t count, const uint32_t* copy_order,
                     const std::function<SQLRETURN(const ArgCopy*)>& wrapper) {
  TraceHandle* trace = statement->conn->trace;
  ArgCopy copies[kMaxCatalogStrings] = {};
  SQLRETURN code = SQL_ERROR;
  switch (CatalogBegin(statement, api)) {
    case CatalogEntry::kRefused:
      break;
    case CatalogEntry::kFresh:
      if (!StmtCheckCatalogState(statement)) break;
      if (!CopyCatalogStrings(statement, strings, copy_order, count, copies)) break;
      DrvResetStmt(statement);
      [[fallthrough]];
    case CatalogEntry::kResume:
      code = CatalogCall(statement, api, [&] { return wrapper(copies); });
      OpenCatalogResult(statement, kind, code);
      break;
  }
  FreeArgCopy(copies, kMaxCatalogStrings);
  TraceReturn(trace, name, code);
  return code;
}
