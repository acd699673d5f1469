#include "driver/odbc/options/remote_options.h"

#include <sqlext.h>

#include <cstring>

#include "driver/lna/lna_call.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/rpc_status.h"
#include "driver/odbc/options/conn_option_kind.h"
#include "driver/odbc/options/option_store.h"
#include "driver/odbc/options/pending_options.h"
#include "wire/typed_value.h"

namespace {

constexpr uint16_t kFirstDriverOption = 1000;
constexpr uint32_t kMaskBits = 32;

// The call layer writes a number pointer-sized or a text of up to
// kLnaOptionTextSize bytes; the caller's buffer gets 32 bits or the text.
struct ReceivedOption {
  union {
    uintptr_t number;
    char text[kLnaOptionTextSize];
  };
  uint16_t c_type = 0;
  ReceivedOption() : text{} {}

  void WriteTo(void* out) const {
    if (c_type == kCTypeChar) {
      std::memcpy(out, text, strnlen(text, kLnaOptionTextSize - 1) + 1);
    } else {
      const auto value = static_cast<uint32_t>(number);
      std::memcpy(out, &value, sizeof value);
    }
  }
};

}  // namespace

SQLRETURN DrvSetConnectOption(DrvConn* connection, uint16_t option, SQLULEN value) {
  const OptionKind kind = ConnOptionKind(option);
  if (kind == OptionKind::kRefused) {
    PostDbcError(connection, kMsgErrDriverIncapable, 0, nullptr);
    return SQL_ERROR;
  }
  if (kind == OptionKind::kLocal) return SQL_SUCCESS;
  // The wire carries 32 bits; the server has no use for a window handle of
  // this machine, so one that does not fit stays here.
  if (option == SQL_QUIET_MODE && value > 0xFFFFFFFFu) return SQL_SUCCESS;
  const bool text = kind == OptionKind::kText;
  if (LnaIsConnected(connection->lna)) {
    return DrvMapRpcStatus(connection, LnaSetConnectOptionMP(connection->lna, option, value,
                                                             text ? kCTypeChar : kCTypeLong));
  }
  if (AddPendingOption(connection, option, text ? kPendingText : kPendingInteger, value) != 0)
    return SQL_ERROR;
  return SQL_SUCCESS;
}

SQLRETURN DrvGetConnectOption(DrvConn* connection, uint16_t option, void* out) {
  if (option < kFirstDriverOption && option != SQL_CURRENT_QUALIFIER) return SQL_SUCCESS;
  if (!LnaIsConnected(connection->lna)) {
    PostDbcError(connection, kMsgErrConnectNotOpen, 0, nullptr);
    return SQL_ERROR;
  }
  ReceivedOption received;
  SQLRETURN result = DrvMapRpcStatus(
      connection,
      LnaGetConnectOptionMP(connection->lna, option, &received.number, &received.c_type));
  if (result == SQL_ERROR) return result;
  if (option == SQL_CURRENT_QUALIFIER) {
    if (received.c_type == kCTypeChar)
      std::memcpy(connection->qualifier, received.text, kQualifierSize);
    connection->qualifier[kQualifierSize - 1] = '\0';
  }
  received.WriteTo(out);
  return result;
}

SQLRETURN DrvSetStmtOption(DrvStmt* statement, uint16_t option, uint32_t value) {
  if (option == SQL_ASYNC_ENABLE) {
    PostStmtError(statement, kMsgErrDriverIncapable, 0, nullptr);
    return SQL_ERROR;
  }
  return DrvStmtStatus(statement, LnaSetStmtOptionSP(statement->lna, option, value, kCTypeLong));
}

SQLRETURN DrvGetStmtOption(DrvStmt* statement, uint16_t option, void* out) {
  if (option >= kFirstDriverOption) {
    ReceivedOption received;
    SQLRETURN result = DrvStmtStatus(
        statement, LnaGetStmtOptionSP(statement->lna, option, &received.number, &received.c_type));
    if (result != SQL_ERROR) received.WriteTo(out);
    return result;
  }
  if ((statement->option_mask >> (option % kMaskBits)) & 1u) return SQL_SUCCESS;
  PostStmtError(statement, kMsgErrDriverIncapable, 0, nullptr);
  return SQL_ERROR;
}
