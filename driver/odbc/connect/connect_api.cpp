#include "driver/odbc/connect/connect_api.h"

#include <sqlext.h>

#include <cstring>

#include "common/rec_array.h"
#include "common/trace.h"
#include "driver/odbc/connect/conn_string.h"
#include "driver/odbc/connect/connect_steps.h"
#include "driver/odbc/connect/connect_trace.h"
#include "driver/odbc/connect/drv_connect.h"
#include "driver/odbc/connect/prompt_connect.h"
#include "driver/odbc/core/arg_copy.h"
#include "driver/odbc/core/conn_keyword.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/diag/drv_messages.h"
#include "driver/odbc/diag/trace_addr.h"
#include "driver/odbc/diag/trace_mask.h"
#include "driver/odbc/options/conn_options_api.h"
#include "driver/odbc/statement/stmt_handle.h"

namespace {

constexpr int32_t kMaxKeywordValue = kConnKeywordValueSize - 1;

const char* Arg(const ArgCopy& copy) {
  return copy.text != nullptr ? copy.text : "NULL";
}

void StoreKeyword(DrvConn* connection, uint32_t index, const char* value) {
  ConnKeyword& keyword = connection->keywords[index];
  std::strcpy(keyword.value, value);  // the copy was limited to the field
  keyword.set = 1;
}

bool FreeAllStatements(DrvConn* connection) {
  while (connection->statements != nullptr && ArrCount(connection->statements) > 0) {
    DrvStmt* first = *static_cast<DrvStmt**>(ArrAt(connection->statements, 0));
    if (SQLFreeStmtImpl(first, SQL_DROP) == SQL_ERROR) return false;
  }
  return true;
}

// SQLConnect after its entry line: the login with the keywords given.
SQLRETURN LogIn(DrvConn* connection, const ArgCopy* copies) {
  if (copies[1].text != nullptr) StoreKeyword(connection, connection->keyword_uid, copies[1].text);
  if (copies[2].text != nullptr) StoreKeyword(connection, connection->keyword_pwd, copies[2].text);

  SQLRETURN result = SQL_SUCCESS;
  switch (DrvConnect(connection)) {
    case 0:
      connection->state = kConnConnected;
      break;
    case 1:
      connection->state = kConnConnected;
      result = SQL_SUCCESS_WITH_INFO;
      break;
    default:
      AbortConnectAttempt(connection);
      result = SQL_ERROR;
      break;
  }
  if (result != SQL_ERROR) result = LoadDataSourceTranslation(connection, result);
  return result;
}

// SQLDriverConnect after its entry line: the login, with the dialog when the
// completion asks for one, and the completed string.
SQLRETURN DriverConnect(DrvConn* connection, SQLHWND hwnd, SQLCHAR* szConnStrOut,
                        SQLSMALLINT cbConnStrOutMax, SQLSMALLINT* pcbConnStrOut,
                        SQLUSMALLINT fDriverCompletion, bool warning) {
  SQLRETURN result = SQL_SUCCESS;
  int32_t connected = fDriverCompletion == SQL_DRIVER_NOPROMPT
                          ? DrvConnect(connection)
                          : DrvPromptConnect(connection, hwnd, fDriverCompletion);
  if (connected == SQL_NO_DATA_FOUND) {
    // A later call must be able to give other values: the first value
    // given for a keyword would otherwise win.
    ClearConnectKeywords(connection);
    DropAddedKeywords(connection);
    result = SQL_NO_DATA_FOUND;
  } else if (connected < 0) {
    AbortConnectAttempt(connection);
    result = SQL_ERROR;
  } else {
    if (connected == 1) warning = true;
    connection->state = kConnConnected;
    result = LoadDataSourceTranslation(connection, result);
    if (result == SQL_SUCCESS_WITH_INFO) warning = true;
    if (result != SQL_ERROR && szConnStrOut != nullptr) {
      int32_t length = 0;
      int32_t built = BuildConnectString(connection, reinterpret_cast<char*>(szConnStrOut),
                                         cbConnStrOutMax, &length, 0);
      if (built < 0) {
        AbortConnectAttempt(connection);
        result = SQL_ERROR;
      } else {
        if (built == 1) warning = true;
        if (pcbConnStrOut != nullptr)
          *pcbConnStrOut = static_cast<SQLSMALLINT>(length > 0x7FFF ? 0x7FFF : length);
      }
    }
  }
  if (result == SQL_SUCCESS && warning) result = SQL_SUCCESS_WITH_INFO;
  return result;
}

// SQLDisconnect after its entry line.
SQLRETURN Disconnect(DrvConn* connection) {
  SQLRETURN result = SQL_SUCCESS;
  switch (connection->state) {
    case kConnConnected:
    case kConnWithStmts:
      // Translation libraries belong to the login: an empty name unloads.
      result = ApplyConnectOption(connection, SQL_TRANSLATE_DLL, reinterpret_cast<SQLULEN>(""));
      if (result == SQL_ERROR) break;
      if (!FreeAllStatements(connection)) {
        char text[512];
        if (DrvMessageText(kMsgDrsFreeStmtFail, text, sizeof text) == 1) {
          PostDbcError(connection, kMsgErrGeneric, 0, text);
        } else {
          PostDbcError(connection, kMsgErrOutOfMemory, 0, nullptr);
        }
        result = SQL_ERROR;
        break;
      }
      result = DrvDisconnect(connection);
      if (result != SQL_ERROR) {
        connection->state = kConnAllocated;
        ClearConnectKeywords(connection);
        DropAddedKeywords(connection);
      }
      break;
    case kConnInTransaction:
      PostDbcError(connection, kMsgErrInvalTxnState, 0, nullptr);
      result = SQL_ERROR;
      break;
    default:
      connection->state = kConnAllocated;
      ClearConnectKeywords(connection);
      DropAddedKeywords(connection);
      break;
  }
  return result;
}

}  // namespace

SQLRETURN SQLConnectImpl(SQLHDBC hdbc, SQLCHAR* szDSN, SQLSMALLINT cbDSN, SQLCHAR* szUID,
                         SQLSMALLINT cbUID, SQLCHAR* szAuthStr, SQLSMALLINT cbAuthStr) {
  return ConnectionEntry(hdbc, kTraceOpensInWork, [&](DrvConn* connection) -> SQLRETURN {
    if (RefuseWhileConnected(connection)) return SQL_ERROR;
    ArgCopy copies[3] = {};
    const SQLCHAR* texts[3] = {szDSN, szUID, szAuthStr};
    const SQLSMALLINT lengths[3] = {cbDSN, cbUID, cbAuthStr};
    for (int i = 0; i < 3; ++i) {
      uint32_t copied = CopyInString(&copies[i], reinterpret_cast<const char*>(texts[i]),
                                     lengths[i], kMaxKeywordValue, '\0');
      if (copied != kMsgErrSuccess) {
        PostDbcError(connection, copied, 0, nullptr);
        AbortConnectAttempt(connection);
        FreeArgCopy(copies, 3);
        return SQL_ERROR;
      }
    }
    if (copies[0].text != nullptr)
      StoreKeyword(connection, connection->keyword_dsn, copies[0].text);
    OpenConnectTrace(connection);
    std::string password = MaskedPassword(copies[2].text);
    SQLRETURN result = TracedCall(
        connection->trace, "SQLConnect",
        [&](TraceHandle* trace) {
          TraceEnter(trace, "SQLConnect(0x%08lx, \"%s\", %d, \"%s\", %d, \"%s\", %d)",
                     TraceAddr(hdbc), Arg(copies[0]), cbDSN, Arg(copies[1]), cbUID,
                     password.c_str(), cbAuthStr);
        },
        [&] { return LogIn(connection, copies); });
    FreeArgCopy(copies, 3);
    return result;
  });
}

SQLRETURN SQLDriverConnectImpl(SQLHDBC hdbc, SQLHWND hwnd, SQLCHAR* szConnStrIn,
                               SQLSMALLINT cbConnStrIn, SQLCHAR* szConnStrOut,
                               SQLSMALLINT cbConnStrOutMax, SQLSMALLINT* pcbConnStrOut,
                               SQLUSMALLINT fDriverCompletion) {
  return ConnectionEntry(hdbc, kTraceOpensInWork, [&](DrvConn* connection) -> SQLRETURN {
    if (RefuseWhileConnected(connection)) return SQL_ERROR;
    if (fDriverCompletion > SQL_DRIVER_COMPLETE_REQUIRED) {
      PostDbcError(connection, kMsgErrInvalCompletion, 0, nullptr);
      return SQL_ERROR;
    }
    ArgCopy in = {};
    uint32_t copied = CopyInString(&in, reinterpret_cast<const char*>(szConnStrIn), cbConnStrIn,
                                   kNoLengthLimit, '\0');
    if (copied != kMsgErrSuccess) {
      PostDbcError(connection, copied, 0, nullptr);
      AbortConnectAttempt(connection);
      return SQL_ERROR;
    }
    int32_t parsed = ParseConnectAttributes(connection, in.text);
    if (parsed < 0) {
      AbortConnectAttempt(connection);
      FreeArgCopy(&in, 1);
      return SQL_ERROR;
    }
    OpenConnectTrace(connection);
    std::string shown = MaskPasswordValue(in.text);
    SQLRETURN result = TracedCall(
        connection->trace, "SQLDriverConnect",
        [&](TraceHandle* trace) {
          TraceEnter(trace,
                     "SQLDriverConnect(0x%08lx, 0x%04x, \"%-.600s\", %d, 0x%08lx, %d, 0x%08lx, %d)",
                     TraceAddr(hdbc), static_cast<unsigned>(reinterpret_cast<uintptr_t>(hwnd)),
                     shown.c_str(), cbConnStrIn, TraceAddr(szConnStrOut), cbConnStrOutMax,
                     TraceAddr(pcbConnStrOut), fDriverCompletion);
        },
        [&] {
          return DriverConnect(connection, hwnd, szConnStrOut, cbConnStrOutMax, pcbConnStrOut,
                               fDriverCompletion, parsed == 1);
        });
    FreeArgCopy(&in, 1);
    // Only a connection keeps its trace open.
    if (result == SQL_ERROR || result == SQL_NO_DATA_FOUND) CloseConnectTrace(connection);
    return result;
  });
}

SQLRETURN SQLDisconnectImpl(SQLHDBC hdbc) {
  SQLRETURN result = ConnectionEntry(
      hdbc, "SQLDisconnect",
      [&](TraceHandle* trace) { TraceEnter(trace, "SQLDisconnect(0x%08lx)", TraceAddr(hdbc)); },
      Disconnect);
  // The trace belongs to the login: it closes after the call's last line.
  if (hdbc != SQL_NULL_HDBC) CloseConnectTrace(static_cast<DrvConn*>(hdbc));
  return result;
}
