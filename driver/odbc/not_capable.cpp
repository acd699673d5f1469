#include "driver/odbc/not_capable.h"

#include "driver/odbc/diag.h"
#include "driver/odbc/drv_conn.h"
#include "driver/odbc/message_ids.h"

SQLRETURN NotCapableOnConn(SQLHDBC hdbc) {
  auto* connection = static_cast<DrvConn*>(hdbc);
  if (connection == nullptr) return SQL_INVALID_HANDLE;
  ClearHandleErrors(nullptr, connection, nullptr);
  PostDbcError(connection, kMsgErrDriverIncapable, 0, nullptr);
  return SQL_ERROR;
}
