#include "driver/odbc/options/conn_options_api.h"

#include <sqlext.h>

#include <cstdlib>
#include <cstring>

#include "common/profile.h"
#include "common/profile_path.h"
#include "common/rec_array.h"
#include "common/trace.h"
#include "driver/lna/lna_call.h"
#include "driver/odbc/core/conn_keyword.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/diag/trace_addr.h"
#include "driver/odbc/options/conn_option_kind.h"
#include "driver/odbc/options/option_store.h"
#include "driver/odbc/options/pending_options.h"
#include "driver/odbc/options/remote_options.h"
#include "driver/odbc/options/stmt_options_api.h"

namespace {

constexpr uint16_t kFirstConnOption = SQL_ACCESS_MODE;
constexpr uint16_t kLastConnOption = SQL_PACKET_SIZE;
constexpr uint16_t kLastStmtOption = SQL_ROW_NUMBER;
// Room a data source's translation key is read into.
constexpr uint32_t kKeyValueSize = 256;

DrvStmt* StatementAt(const DrvConn* connection, uint32_t index) {
  return *static_cast<DrvStmt**>(ArrAt(connection->statements, index));
}

bool AnyStatementPending(const DrvConn* connection) {
  for (uint32_t i = 0; i < ArrCount(connection->statements); ++i)
    if (StatementAt(connection, i)->pending) return true;
  return false;
}

// Values the driver cannot pass on as given: a missing or overlong text,
// or a number wider than the 32 bits the server receives.
bool ValueUsable(uint16_t option, SQLULEN value) {
  if (ConnOptionIsText(option)) {
    if (value == 0) return false;
    if (option == SQL_TRANSLATE_DLL) return true;
    return strnlen(reinterpret_cast<const char*>(value), kOptionTextSize) < kOptionTextSize;
  }
  return option == SQL_QUIET_MODE || value <= 0xFFFFFFFFu;
}

}  // namespace

SQLRETURN ApplyConnectOption(DrvConn* connection, uint16_t option, SQLULEN value) {
  if (connection->statements == nullptr) {
    PostDbcError(connection, kMsgErrOutOfMemory, 0, nullptr);
    return SQL_ERROR;
  }
  if (AnyStatementPending(connection)) {
    PostDbcError(connection, kMsgErrOutOfSequence, 0, nullptr);
    return SQL_ERROR;
  }
  if (option == SQL_TXN_ISOLATION && connection->state >= kConnInTransaction) {
    PostDbcError(connection, kMsgErrInvalOperation, 0, nullptr);
    return SQL_ERROR;
  }
  if (!ValueUsable(option, value)) {
    PostDbcError(connection, kMsgErrInvalArg, 0, nullptr);
    return SQL_ERROR;
  }
  bool warning = false;
  if (option <= kLastStmtOption) {
    for (uint32_t i = 0; i < ArrCount(connection->statements); ++i) {
      SQLRETURN applied = ApplyStmtOption(StatementAt(connection, i), option, value);
      if (applied == SQL_ERROR) return SQL_ERROR;
      if (applied == SQL_SUCCESS_WITH_INFO) warning = true;
    }
  }
  SQLRETURN sent = DrvSetConnectOption(connection, option, value);
  if (sent == SQL_ERROR) return SQL_ERROR;
  if (sent == SQL_SUCCESS_WITH_INFO) warning = true;
  SQLRETURN result = SQL_SUCCESS;
  if (option >= kFirstConnOption && option <= kLastConnOption) {
    result = StoreConnectOption(option, connection, value);
  } else if (option <= SQL_USE_BOOKMARKS) {
    StoreStmtOption(option, &connection->stmt_defaults, static_cast<uint32_t>(value));
  }
  if (result == SQL_SUCCESS && warning) result = SQL_SUCCESS_WITH_INFO;
  return result;
}

SQLRETURN SQLSetConnectOptionImpl(SQLHDBC hdbc, SQLUSMALLINT option, SQLULEN value) {
  return ConnectionEntry(
      hdbc, "SQLSetConnectOption",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLSetConnectOption(0x%08lx, %u, %lu)", TraceAddr(hdbc),
                   static_cast<unsigned>(option), static_cast<unsigned long>(value));
      },
      [&](DrvConn* connection) { return ApplyConnectOption(connection, option, value); });
}

SQLRETURN SQLGetConnectOptionImpl(SQLHDBC hdbc, SQLUSMALLINT option, SQLPOINTER out) {
  return ConnectionEntry(
      hdbc, "SQLGetConnectOption",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLGetConnectOption(0x%08lx, %u, 0x%08lx)", TraceAddr(hdbc),
                   static_cast<unsigned>(option), TraceAddr(out));
      },
      [&](DrvConn* connection) -> SQLRETURN {
        if (AnyStatementPending(connection)) {
          PostDbcError(connection, kMsgErrOutOfSequence, 0, nullptr);
          return SQL_ERROR;
        }
        if (out == nullptr) return SQL_SUCCESS;
        if (option >= kFirstConnOption && option <= kLastConnOption) {
          ReadConnectOption(option, connection, out);
          return SQL_SUCCESS;
        }
        return DrvGetConnectOption(connection, option, out);
      });
}

SQLRETURN ReplayPendingOptions(DrvConn* connection) {
  // Detached first: an option applied while no login is open would be
  // queued again instead of sent.
  RecArray* list = connection->pending_options;
  connection->pending_options = nullptr;
  if (list == nullptr) return SQL_SUCCESS;
  SQLRETURN result = SQL_SUCCESS;
  if (!LnaIsConnected(connection->lna)) {
    PostDbcError(connection, kMsgErrConnectNotOpen, 0, nullptr);
    result = SQL_SUCCESS_WITH_INFO;
  } else {
    for (uint32_t i = 0; i < ArrCount(list); ++i) {
      auto* pending = static_cast<PendingOption*>(ArrAt(list, i));
      SQLULEN value = pending->value;
      if (pending->kind == kPendingText) {
        pending->text[kPendingTextSize - 1] = '\0';
        value = reinterpret_cast<SQLULEN>(pending->text);
      }
      if (ApplyConnectOption(connection, pending->option, value) != SQL_SUCCESS)
        result = SQL_SUCCESS_WITH_INFO;
    }
  }
  ArrDestroy(list);
  return result;
}

SQLRETURN LoadTranslationOptions(DrvConn* connection) {
  const char* dsn = connection->keywords[connection->keyword_dsn].value;
  if (dsn[0] == '\0') return SQL_SUCCESS;
  bool warning = false;
  char value[kKeyValueSize] = {};
  ProfileReadString(ProfilePathGet(), dsn, "TranslationDLL", "", value, kKeyValueSize - 1);
  if (value[0] != '\0') {
    SQLRETURN result =
        ApplyConnectOption(connection, SQL_TRANSLATE_DLL, reinterpret_cast<SQLULEN>(value));
    if (result == SQL_ERROR) return result;
    if (result == SQL_SUCCESS_WITH_INFO) warning = true;
  }
  value[0] = '\0';
  ProfileReadString(ProfilePathGet(), dsn, "TranslationOption", "", value, kKeyValueSize - 1);
  if (value[0] != '\0') {
    SQLRETURN result = ApplyConnectOption(connection, SQL_TRANSLATE_OPTION,
                                          std::strtoul(value, nullptr, 10) & 0xFFFFFFFFu);
    if (result == SQL_ERROR) return result;
    if (result == SQL_SUCCESS_WITH_INFO) warning = true;
  }
  return warning ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}
