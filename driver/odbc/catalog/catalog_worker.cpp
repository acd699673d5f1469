#include "driver/odbc/catalog/catalog_worker.h"

#include <sqlext.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "common/memory.h"
#include "common/trace.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/get_info.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/rpc_status.h"
#include "driver/odbc/core/stmt_state.h"
#include "driver/odbc/diag/trace_addr.h"
#include "driver/odbc/diag/trace_arg.h"
#include "driver/odbc/fetch/result_set.h"
#include "driver/odbc/statement/stmt_ready.h"
#include "driver/odbc/statement/text_helpers.h"
#include "wire/column_desc.h"

namespace {

// Used when the server gives no maximum for a kind of name.
constexpr int32_t kDefaultNameMax = 255;
// Room for the longest text a trace line holds (1024) and its NUL: the
// trace cuts a longer one at the same place.
constexpr size_t kTraceTextSize = 1025;

// Appends to the text at `out`, keeping what fits in `size`.
__attribute__((format(printf, 4, 5))) void Append(char* out, size_t size, size_t* used,
                                                  const char* format, ...) {
  if (*used + 1 >= size) return;
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(out + *used, size - *used, format, args);
  va_end(args);
  if (n > 0) *used = std::min(size - 1, *used + static_cast<size_t>(n));
}

}  // namespace

CatalogEntry CatalogBegin(DrvStmt* statement, uint16_t api) {
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

SQLRETURN RunCatalog(DrvStmt* statement, uint16_t api, uint16_t kind, const CatalogString* strings,
                     uint32_t count, const uint32_t* copy_order,
                     const std::function<SQLRETURN(const ArgCopy*)>& wrapper) {
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
  return code;
}

void FormatCatalogEntry(char* out, size_t size, const char* name, const void* hstmt,
                        const CatalogString* strings, uint32_t count, const char* tail) {
  if (size == 0) return;
  out[0] = '\0';
  size_t used = 0;
  Append(out, size, &used, "%s(0x%08lx", name, TraceAddr(hstmt));
  for (uint32_t i = 0; i < count; ++i) {
    TraceArg shown = TracedString(strings[i].text, strings[i].length);
    Append(out, size, &used, ", \"%.*s\", %d", shown.precision, shown.text, strings[i].length);
  }
  Append(out, size, &used, "%s)", tail);
}

void TraceCatalogEntry(TraceHandle* trace, const char* name, const void* hstmt,
                       const CatalogString* strings, uint32_t count, const char* tail) {
  if (trace == nullptr) return;
  char text[kTraceTextSize];
  FormatCatalogEntry(text, sizeof text, name, hstmt, strings, count, tail);
  TraceEnter(trace, "%s", text);
}

SQLRETURN CatalogFunction(SQLHSTMT hstmt, const char* name, uint16_t api, uint16_t kind,
                          const CatalogString* strings, uint32_t count, const uint32_t* copy_order,
                          const char* tail,
                          const std::function<SQLRETURN(DrvStmt*, const ArgCopy*)>& wrapper) {
  return StatementEntry(
      hstmt, name,
      [&](TraceHandle* trace) { TraceCatalogEntry(trace, name, hstmt, strings, count, tail); },
      [&](DrvStmt* statement) {
        return RunCatalog(statement, api, kind, strings, count, copy_order,
                          [&](const ArgCopy* copies) { return wrapper(statement, copies); });
      });
}
