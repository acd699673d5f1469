#include "driver/odbc/connect/connect_steps.h"

#include "driver/odbc/connect/drv_connect.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/options/conn_options_api.h"

bool RefuseWhileConnected(DrvConn* connection) {
  if (connection->state < kConnConnected) return false;
  PostDbcError(connection, kMsgErrConnectBusy, 0, nullptr);
  return true;
}

SQLRETURN LoadDataSourceTranslation(DrvConn* connection, SQLRETURN result) {
  SQLRETURN loaded = LoadTranslationOptions(connection);
  if (loaded == SQL_ERROR) {
    AbortConnectAttempt(connection);
    return SQL_ERROR;
  }
  return loaded == SQL_SUCCESS_WITH_INFO ? SQL_SUCCESS_WITH_INFO : result;
}
