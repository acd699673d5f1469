#include "driver/odbc/pending_options.h"

#include <sqlext.h>

#include "common/rec_array.h"
#include "driver/lna/lna_call.h"
#include "driver/odbc/drv_conn.h"
#include "driver/odbc/rpc_status.h"

SQLRETURN ReplayPendingOptions(DrvConn* connection) {
  SQLRETURN result = SQL_SUCCESS;
  const uint32_t count =
      connection->pending_options != nullptr ? ArrCount(connection->pending_options) : 0;
  for (uint32_t i = 0; i < count; ++i) {
    auto* pending = static_cast<PendingOption*>(ArrAt(connection->pending_options, i));
    uintptr_t value = pending->value;
    if (pending->kind == kPendingText) {
      pending->text[kPendingTextSize - 1] = '\0';
      value = reinterpret_cast<uintptr_t>(pending->text);
    }
    int16_t c_type = pending->kind == kPendingText ? SQL_C_CHAR : SQL_C_LONG;
    SQLRETURN sent = DrvMapRpcStatus(
        connection, LnaSetConnectOptionMP(connection->lna, pending->option, value, c_type));
    if (sent != SQL_SUCCESS) result = SQL_SUCCESS_WITH_INFO;
  }
  DropPendingOptions(connection);
  return result;
}

void DropPendingOptions(DrvConn* connection) {
  ArrDestroy(connection->pending_options);
  connection->pending_options = nullptr;
}
