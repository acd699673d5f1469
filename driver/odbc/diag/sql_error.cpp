#include "driver/odbc/diag/sql_error.h"

#include <sqlext.h>

#include <cstring>

#include "common/memory.h"
#include "common/rec_array.h"
#include "common/trace.h"
#include "driver/odbc/core/arg_copy.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_env.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/diag/drv_messages.h"

namespace {

constexpr size_t kWorkText = 1024;  // the prefix and the text, without the NUL
constexpr size_t kStateLength = 5;

// The messages one record needs, freed together.
struct Messages {
  char* vendor = nullptr;
  char* product = nullptr;
  char* source = nullptr;
  char* text = nullptr;
  ~Messages() {
    DrvFreeMessage(vendor);
    DrvFreeMessage(product);
    DrvFreeMessage(source);
    DrvFreeMessage(text);
  }
};

// Appends `text` within kWorkText characters; false when it had to be cut.
bool Append(char* work, size_t* used, const char* text) {
  size_t n = std::strlen(text);
  bool whole = *used + n <= kWorkText;
  if (!whole) n = kWorkText - *used;
  std::memcpy(work + *used, text, n);
  *used += n;
  work[*used] = '\0';
  return whole;
}

struct PickedHandle {
  RecArray* list;
  uint32_t overflow;
  TraceHandle* trace;
  int32_t trace_level;
};

PickedHandle Pick(SQLHENV henv, SQLHDBC hdbc, SQLHSTMT hstmt) {
  if (hstmt != SQL_NULL_HSTMT) {
    auto* statement = static_cast<DrvStmt*>(hstmt);
    DrvConn* connection = statement->conn;
    return {statement->diagnostics, statement->diag_overflow,
            connection != nullptr ? connection->trace : nullptr,
            connection != nullptr ? connection->trace_level : 0};
  }
  if (hdbc != SQL_NULL_HDBC) {
    auto* connection = static_cast<DrvConn*>(hdbc);
    return {connection->diagnostics, connection->diag_overflow, connection->trace,
            connection->trace_level};
  }
  if (henv != SQL_NULL_HENV) {
    auto* env = static_cast<DrvEnv*>(henv);
    return {env->diagnostics, env->diag_overflow, nullptr, 0};
  }
  return {nullptr, 0, nullptr, 0};
}

SQLRETURN NoData(SQLCHAR* szSqlState, SQLINTEGER* pfNativeError, SQLCHAR* szErrorMsg,
                 SQLSMALLINT cbErrorMsgMax, SQLSMALLINT* pcbErrorMsg) {
  if (szSqlState != nullptr) std::memcpy(szSqlState, "00000", kStateLength + 1);
  if (szErrorMsg != nullptr && cbErrorMsgMax > 0) szErrorMsg[0] = '\0';
  if (pfNativeError != nullptr) *pfNativeError = 0;
  if (pcbErrorMsg != nullptr) *pcbErrorMsg = 0;
  return SQL_NO_DATA_FOUND;
}

SQLRETURN Pass(PickedHandle& picked, SQLCHAR* szSqlState, SQLINTEGER* pfNativeError,
               SQLCHAR* szErrorMsg, SQLSMALLINT cbErrorMsgMax, SQLSMALLINT* pcbErrorMsg) {
  if (picked.overflow) return SQL_ERROR;
  DiagListLock hold;
  if (picked.list == nullptr || picked.list->count == 0) {
    return NoData(szSqlState, pfNativeError, szErrorMsg, cbErrorMsgMax, pcbErrorMsg);
  }
  auto* record = static_cast<DiagRecord*>(ArrAt(picked.list, 0));
  SQLRETURN result =
      ReturnDiagRecord(record, szSqlState, pfNativeError, szErrorMsg, cbErrorMsgMax, pcbErrorMsg);
  if (result == SQL_ERROR) return result;
  MemFree(record->text);
  record->text = nullptr;
  ArrRemoveAt(picked.list, 0);
  return result;
}

}  // namespace

SQLRETURN ReturnDiagRecord(const DiagRecord* record, SQLCHAR* szSqlState, SQLINTEGER* pfNativeError,
                           SQLCHAR* szErrorMsg, SQLSMALLINT cbErrorMsgMax,
                           SQLSMALLINT* pcbErrorMsg) {
  auto* work = static_cast<char*>(MemAlloc(kWorkText + 1));
  if (work == nullptr) return SQL_ERROR;
  Messages messages;
  messages.vendor = DrvGetMessage(kMsgVendorStr);
  messages.product = DrvGetMessage(kMsgProductStr);
  messages.source = DrvGetMessage(kMsgSourceStr);
  if (messages.vendor == nullptr || messages.product == nullptr || messages.source == nullptr) {
    MemFree(work);
    return SQL_ERROR;
  }
  size_t used = 0;
  bool whole = Append(work, &used, messages.vendor) && Append(work, &used, messages.product);
  if (record->native != 0) whole = Append(work, &used, messages.source) && whole;

  messages.text = DrvGetMessage(record->number != 0 ? record->number : kMsgErrGeneric);
  if (messages.text == nullptr) {
    MemFree(work);
    return SQL_ERROR;
  }
  size_t text_length = std::strlen(messages.text);
  size_t state_length = text_length < kStateLength ? text_length : kStateLength;

  if (szSqlState != nullptr) {
    const char* state = record->sqlstate[0] != '\0' ? record->sqlstate : messages.text;
    size_t n = record->sqlstate[0] != '\0' ? std::strlen(record->sqlstate) : state_length;
    std::memcpy(szSqlState, state, n);
    szSqlState[n] = '\0';
  }
  if (record->text != nullptr && record->text[0] != '\0') {
    whole = Append(work, &used, record->text) && whole;
  } else {
    whole = Append(work, &used, messages.text + state_length) && whole;
  }
  int cut = CopyOutString(reinterpret_cast<char*>(szErrorMsg), work, cbErrorMsgMax, pcbErrorMsg);
  if (pfNativeError != nullptr) *pfNativeError = record->native;
  MemFree(work);
  return cut || !whole ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

SQLRETURN SQLErrorImpl(SQLHENV henv, SQLHDBC hdbc, SQLHSTMT hstmt, SQLCHAR* szSqlState,
                       SQLINTEGER* pfNativeError, SQLCHAR* szErrorMsg, SQLSMALLINT cbErrorMsgMax,
                       SQLSMALLINT* pcbErrorMsg) {
  // Whichever handle it is given, SQLError reads its diagnostics and clears
  // none: no handle's shell, only the lines of the call.
  PickedHandle picked = Pick(henv, hdbc, hstmt);
  return TracedCall(
      picked.trace, "SQLError",
      [&](TraceHandle* trace) {
        TraceEnter(
            trace, "SQLError(0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, %d, 0x%08lx)",
            reinterpret_cast<unsigned long>(henv), reinterpret_cast<unsigned long>(hdbc),
            reinterpret_cast<unsigned long>(hstmt), reinterpret_cast<unsigned long>(szSqlState),
            reinterpret_cast<unsigned long>(pfNativeError),
            reinterpret_cast<unsigned long>(szErrorMsg), cbErrorMsgMax,
            reinterpret_cast<unsigned long>(pcbErrorMsg));
      },
      [&] {
        SQLRETURN result =
            Pass(picked, szSqlState, pfNativeError, szErrorMsg, cbErrorMsgMax, pcbErrorMsg);
        if (picked.trace != nullptr && picked.trace_level > 1 &&
            (result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO)) {
          if (szSqlState != nullptr)
            TracePrintf(picked.trace, " SqlState: \"%-.5s\"\n", szSqlState);
          if (pfNativeError != nullptr) {
            TracePrintf(picked.trace, " NativeError: %ld\n", static_cast<long>(*pfNativeError));
          }
          if (szErrorMsg != nullptr && cbErrorMsgMax > 0) {
            TracePrintf(picked.trace, " ErrorMsg: %-.256s\n", szErrorMsg);
          }
        }
        return result;
      });
}
