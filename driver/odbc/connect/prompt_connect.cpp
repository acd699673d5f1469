#include "driver/odbc/connect/prompt_connect.h"

#include <sqlext.h>

#include "common/memory.h"
#include "common/rec_array.h"
#include "common/res_dll.h"
#include "driver/odbc/connect/connect_dialog.h"
#include "driver/odbc/connect/drv_connect.h"
#include "driver/odbc/connect/dsn_keywords.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/message_ids.h"

namespace {

constexpr int kLogonTemplate = 100;

// Drops the records a failed try posted, and only those: the ones listed
// from `count` on.
void DropDiagnosticsFrom(DrvConn* connection, uint32_t count, uint32_t overflow) {
  RecArray* list = connection->diagnostics;
  while (list != nullptr && ArrCount(list) > count) {
    auto* record = static_cast<DiagRecord*>(ArrAt(list, ArrCount(list) - 1));
    MemFree(record->text);
    ArrRemoveAt(list, ArrCount(list) - 1);
  }
  connection->diag_overflow = overflow;
}

int32_t DialogFailed(DrvConn* connection) {
  PostDbcError(connection, kMsgErrDialogFailed, 0, nullptr);
  return -1;
}

}  // namespace

int32_t DrvPromptConnect(DrvConn* connection, SQLHWND window, SQLUSMALLINT completion) {
  if (completion == SQL_DRIVER_COMPLETE || completion == SQL_DRIVER_COMPLETE_REQUIRED) {
    const uint32_t listed =
        connection->diagnostics != nullptr ? ArrCount(connection->diagnostics) : 0;
    const uint32_t overflow = connection->diag_overflow;
    int32_t connected = DrvConnect(connection);
    if (connected >= 0) return connected;
    DropDiagnosticsFrom(connection, listed, overflow);
  }
  ReadDsnKeywords(connection->keywords, connection->keyword_count, connection->keyword_dsn,
                  connection->keyword_driver);
  // Without the application's window nobody is there to answer.
  if (window == nullptr) return DialogFailed(connection);
  ConnectDialogContext context{connection, 0, kMsgErrSuccess};
  DlgResult result = DialogBoxParam(ResDllHandle(), kLogonTemplate, DlgForeignWindow(window),
                                    ConnectDlgProc, reinterpret_cast<DlgLParam>(&context));
  switch (result) {
    case 1:
      return context.warning != 0 ? 1 : 0;
    case 2:
      return SQL_NO_DATA_FOUND;
    case 3:
      return -1;
    default:
      return DialogFailed(connection);
  }
}
