#include "driver/odbc/connect/browse_connect.h"

#include <sqlext.h>

#include <string>

#include "common/trace.h"
#include "driver/odbc/connect/conn_string.h"
#include "driver/odbc/connect/connect_steps.h"
#include "driver/odbc/connect/connect_trace.h"
#include "driver/odbc/connect/drv_connect.h"
#include "driver/odbc/connect/dsn_keywords.h"
#include "driver/odbc/core/arg_copy.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/diag/trace_addr.h"
#include "driver/odbc/diag/trace_mask.h"

namespace {

void SetLength(SQLSMALLINT* out, int32_t length) {
  if (out != nullptr) *out = static_cast<SQLSMALLINT>(length > 0x7FFF ? 0x7FFF : length);
}

// The login once nothing required is missing; the completed string in
// normal form goes out.
SQLRETURN Connect(DrvConn* connection, char* out, SQLSMALLINT size, SQLSMALLINT* length,
                  bool* warning) {
  int32_t connected = DrvConnect(connection);
  if (connected < 0) return SQL_ERROR;  // the keywords stay for the next call
  if (connected == 1) *warning = true;
  connection->state = kConnConnected;
  SQLRETURN result = LoadDataSourceTranslation(connection, SQL_SUCCESS);
  if (result == SQL_ERROR) return result;
  if (result == SQL_SUCCESS_WITH_INFO) *warning = true;
  if (out == nullptr) return SQL_SUCCESS;
  int32_t written = 0;
  int32_t built = BuildConnectString(connection, out, size, &written, 0);
  if (built < 0) return SQL_ERROR;
  if (built == 1) *warning = true;
  SetLength(length, written);
  return SQL_SUCCESS;
}

// After the entry line: the attributes still missing go out, or the login
// is made once none is.
SQLRETURN Browse(DrvConn* connection, SQLCHAR* szConnStrOut, SQLSMALLINT cbConnStrOutMax,
                 SQLSMALLINT* pcbConnStrOut, bool* warning) {
  // What the data source's section gives is not asked for.
  ReadDsnKeywords(connection->keywords, connection->keyword_count, connection->keyword_dsn,
                  connection->keyword_driver);
  char* out = reinterpret_cast<char*>(szConnStrOut);
  int32_t length = 0;
  SQLRETURN result = SQL_SUCCESS;
  switch (BrowseBuildOutput(connection, out, cbConnStrOutMax, &length)) {
    case 99:
      connection->state = kConnBrowsing;
      SetLength(pcbConnStrOut, length);
      result = SQL_NEED_DATA;
      break;
    case -1:
      result = SQL_ERROR;
      break;
    default:
      result = Connect(connection, out, cbConnStrOutMax, pcbConnStrOut, warning);
      break;
  }
  if (result == SQL_ERROR && connection->state == kConnConnected) AbortConnectAttempt(connection);
  if (result == SQL_SUCCESS && *warning) result = SQL_SUCCESS_WITH_INFO;
  return result;
}

}  // namespace

SQLRETURN SQLBrowseConnectImpl(SQLHDBC hdbc, SQLCHAR* szConnStrIn, SQLSMALLINT cbConnStrIn,
                               SQLCHAR* szConnStrOut, SQLSMALLINT cbConnStrOutMax,
                               SQLSMALLINT* pcbConnStrOut) {
  return ConnectionEntry(hdbc, kTraceOpensInWork, [&](DrvConn* connection) -> SQLRETURN {
    if (RefuseWhileConnected(connection)) return SQL_ERROR;
    ArgCopy in = {};
    uint32_t copied = CopyInString(&in, reinterpret_cast<const char*>(szConnStrIn), cbConnStrIn,
                                   kNoLengthLimit, '\0');
    if (copied != kMsgErrSuccess) {
      PostDbcError(connection, copied, 0, nullptr);
      return SQL_ERROR;
    }
    bool warning = false;
    int32_t parsed = BrowseParseAttributes(connection, in.text);
    if (parsed < 0) {
      FreeArgCopy(&in, 1);
      return SQL_ERROR;
    }
    if (parsed == 1) warning = true;
    OpenConnectTrace(connection);
    std::string shown = MaskPasswordValue(in.text);
    SQLRETURN result = TracedCall(
        connection->trace, "SQLBrowseConnect",
        [&](TraceHandle* trace) {
          TraceEnter(trace, "SQLBrowseConnect(0x%08lx, \"%-.600s\", %d, 0x%08lx, %d, 0x%08lx)",
                     TraceAddr(hdbc), shown.c_str(), cbConnStrIn, TraceAddr(szConnStrOut),
                     cbConnStrOutMax, TraceAddr(pcbConnStrOut));
        },
        [&] { return Browse(connection, szConnStrOut, cbConnStrOutMax, pcbConnStrOut, &warning); });
    FreeArgCopy(&in, 1);
    if (result == SQL_ERROR) CloseConnectTrace(connection);
    return result;
  });
}
