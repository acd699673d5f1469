#include "driver/odbc/core/get_info.h"

#include <sqlext.h>

#include <cstring>

#include "driver/lna/lna_call.h"
#include "driver/odbc/core/conn_keyword.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_module.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/rpc_status.h"

namespace {

constexpr char kDriverName[] = "velclt32.DLL";
// ODBC's ##.##.#### form: applications parse it.
constexpr char kDriverVersion[] = "07.02.0022";
constexpr char kDriverOdbcVersion[] = "02.00";

const char* ConstantText(uint16_t info_type) {
  switch (info_type) {
    case SQL_DRIVER_NAME:
      return kDriverName;
    case SQL_DRIVER_VER:
      return kDriverVersion;
    default:
      return kDriverOdbcVersion;
  }
}

SQLRETURN AskServer(DrvConn* connection, uint16_t info_type, InfoValue* value) {
  int32_t length = 0;
  uint16_t c_type = 0;
  std::memset(value->scratch, 0, sizeof value->scratch);
  SQLRETURN result = DrvMapRpcStatus(
      connection, LnaGetInfoSP(connection->lna, info_type, value->scratch,
                               static_cast<int32_t>(sizeof value->scratch), &length, &c_type));
  if (result != SQL_SUCCESS && result != SQL_SUCCESS_WITH_INFO) return result;
  value->scratch[sizeof value->scratch - 1] = '\0';
  if (value->kind == kInfoText) {
    value->text = value->scratch;
  } else {
    uint32_t number = 0;
    std::memcpy(&number, value->scratch, sizeof number);
    value->number = number;
  }
  return result;
}

uintptr_t HandleValue(DrvConn* connection, uint16_t info_type, uintptr_t handle_in) {
  switch (info_type) {
    case SQL_DRIVER_HDBC:
      return reinterpret_cast<uintptr_t>(connection);
    case SQL_DRIVER_HENV:
      return reinterpret_cast<uintptr_t>(connection->env);
    case SQL_DRIVER_HSTMT:
      return handle_in;
    default:
      return reinterpret_cast<uintptr_t>(DrvModuleHandle());
  }
}

}  // namespace

SQLRETURN DrvGetInfo(DrvConn* connection, uint16_t info_type, uintptr_t handle_in,
                     InfoValue* value) {
  InfoEntry entry = InfoEntryOf(info_type);
  value->kind = entry.kind;
  value->number = 0;
  value->text = "";
  switch (entry.source) {
    case kFromServerText:
      value->text = ServerInfoText(connection, entry.index);
      break;
    case kFromLoginLong:
      value->number = connection->info154.longs[entry.index];
      break;
    case kFromLoginShort:
      value->number = connection->info154.shorts[entry.index];
      break;
    case kFromLoginMask:
      value->number = connection->info96.masks[entry.index];
      break;
    case kFromConstant:
      if (entry.kind == kInfoText) {
        value->text = ConstantText(info_type);
      } else {
        value->number = entry.index;
      }
      break;
    case kFromDsnKeyword:
      value->text = connection->keywords[connection->keyword_dsn].value;
      break;
    case kFromServer:
      return AskServer(connection, info_type, value);
    case kFromHandle:
      value->number = HandleValue(connection, info_type, handle_in);
      break;
    case kFromNothing:
      PostDbcError(connection, kMsgErrInfoTypeRange, 0, nullptr);
      return SQL_ERROR;
  }
  return SQL_SUCCESS;
}
