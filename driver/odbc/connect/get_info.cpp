#include "driver/odbc/connect/get_info.h"

#include <sqlext.h>

#include <cstring>

#include "common/trace.h"
#include "driver/lna/lna_call.h"
#include "driver/odbc/api/drv_module.h"
#include "driver/odbc/connect/conn_keyword.h"
#include "driver/odbc/connect/drv_conn.h"
#include "driver/odbc/connect/drv_env.h"
#include "driver/odbc/diag/diag.h"
#include "driver/odbc/diag/message_ids.h"
#include "driver/odbc/diag/rpc_status.h"
#include "driver/odbc/diag/trace_addr.h"
#include "driver/odbc/statement/arg_copy.h"
#include "driver/odbc/statement/stmt_state.h"

namespace {

constexpr char kDriverName[] = "velclt32.DLL";
// ODBC's ##.##.#### form: applications parse it.
constexpr char kDriverVersion[] = "07.02.0022";
constexpr char kDriverOdbcVersion[] = "02.00";

// Functions the driver answers without the server, whatever the server's
// table says: handles, connecting, diagnostics, information, bindings and
// the result description it keeps itself.
constexpr uint16_t kOwnFunctions[] = {
    SQL_API_SQLALLOCCONNECT,  SQL_API_SQLALLOCENV,      SQL_API_SQLALLOCSTMT,
    SQL_API_SQLBINDCOL,       SQL_API_SQLCOLATTRIBUTES, SQL_API_SQLCONNECT,
    SQL_API_SQLDESCRIBECOL,   SQL_API_SQLDISCONNECT,    SQL_API_SQLERROR,
    SQL_API_SQLFREECONNECT,   SQL_API_SQLFREEENV,       SQL_API_SQLFREESTMT,
    SQL_API_SQLGETCURSORNAME, SQL_API_SQLNUMRESULTCOLS, SQL_API_SQLROWCOUNT,
    SQL_API_SQLSETCURSORNAME, SQL_API_SQLDRIVERCONNECT, SQL_API_SQLGETFUNCTIONS,
    SQL_API_SQLGETINFO,       SQL_API_SQLGETTYPEINFO,   SQL_API_SQLBINDPARAMETER,
};
// Functions the driver never offers, whatever the server says.
constexpr uint16_t kWithheld[] = {22, 57, 59, 62, 64, 68, 69, 71};

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

// Stores a number of `width` bytes.
SQLRETURN PutNumber(DrvConn* connection, uintptr_t number, size_t width, SQLPOINTER out,
                    SQLSMALLINT size, SQLSMALLINT* length) {
  if (size < static_cast<SQLSMALLINT>(width)) {
    PostDbcError(connection, kMsgErrOutOfRange, 0, nullptr);
    return SQL_ERROR;
  }
  if (out != nullptr) {
    if (width == sizeof(uint16_t)) {
      auto v = static_cast<uint16_t>(number);
      std::memcpy(out, &v, width);
    } else if (width == sizeof(uint32_t)) {
      auto v = static_cast<uint32_t>(number);
      std::memcpy(out, &v, width);
    } else {
      std::memcpy(out, &number, width);
    }
  }
  if (length != nullptr) *length = static_cast<SQLSMALLINT>(width);
  return SQL_SUCCESS;
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

SQLRETURN SQLGetInfoImpl(SQLHDBC hdbc, SQLUSMALLINT fInfoType, SQLPOINTER rgbInfoValue,
                         SQLSMALLINT cbInfoValueMax, SQLSMALLINT* pcbInfoValue) {
  auto* connection = static_cast<DrvConn*>(hdbc);
  if (connection == nullptr) return SQL_INVALID_HANDLE;
  TraceHandle* trace = connection->trace;
  TraceEnter(trace, "SQLGetInfo(0x%08lx, %u, 0x%08lx, %d, 0x%08lx)", TraceAddr(hdbc),
             static_cast<unsigned>(fInfoType), TraceAddr(rgbInfoValue),
             static_cast<int>(cbInfoValueMax), TraceAddr(pcbInfoValue));
  ClearHandleErrors(nullptr, connection, nullptr);
  SQLRETURN result = SQL_SUCCESS;
  auto finish = [&](SQLRETURN code) {
    TraceReturn(trace, "SQLGetInfo", code);
    return code;
  };
  if (ConnHasPendingAsyncCall(connection)) {
    PostDbcError(connection, kMsgErrOutOfSequence, 0, nullptr);
    return finish(SQL_ERROR);
  }
  if (connection->state < kConnConnected) {
    PostDbcError(connection, kMsgErrConnectNotOpen, 0, nullptr);
    return finish(SQL_ERROR);
  }
  uintptr_t handle_in = 0;
  if (fInfoType == SQL_DRIVER_HSTMT && rgbInfoValue != nullptr &&
      cbInfoValueMax >= static_cast<SQLSMALLINT>(sizeof handle_in))
    std::memcpy(&handle_in, rgbInfoValue, sizeof handle_in);
  InfoValue value;
  result = DrvGetInfo(connection, fInfoType, handle_in, &value);
  if (result != SQL_SUCCESS && result != SQL_SUCCESS_WITH_INFO) return finish(result);

  SQLRETURN stored = SQL_SUCCESS;
  switch (value.kind) {
    case kInfoText:
      if (rgbInfoValue != nullptr) {
        if (CopyOutString(static_cast<char*>(rgbInfoValue), value.text, cbInfoValueMax,
                          pcbInfoValue)) {
          PostDbcError(connection, kMsgErrDataTruncation, 0, nullptr);
          stored = SQL_SUCCESS_WITH_INFO;
        }
      } else if (pcbInfoValue != nullptr) {
        size_t n = std::strlen(value.text);
        *pcbInfoValue = static_cast<SQLSMALLINT>(n > 0x7FFF ? 0x7FFF : n);
      }
      break;
    case kInfoShort:
      stored = PutNumber(connection, value.number, sizeof(uint16_t), rgbInfoValue, cbInfoValueMax,
                         pcbInfoValue);
      break;
    case kInfoLong:
      stored = PutNumber(connection, value.number, sizeof(uint32_t), rgbInfoValue, cbInfoValueMax,
                         pcbInfoValue);
      break;
    case kInfoHandle:
      stored = PutNumber(connection, value.number, sizeof(uintptr_t), rgbInfoValue, cbInfoValueMax,
                         pcbInfoValue);
      break;
    case kInfoNone:
      break;
  }
  if (stored != SQL_SUCCESS) result = stored;
  return finish(result);
}

void SetFunctionTable(DrvConn* connection, const uint16_t* server_flags) {
  for (uint32_t i = 0; i < kFunctionTableSize; ++i)
    connection->functions[i] = server_flags[i] != 0 ? SQL_TRUE : SQL_FALSE;
  for (uint16_t f : kOwnFunctions) connection->functions[f] = SQL_TRUE;
  for (uint16_t f : kWithheld) connection->functions[f] = SQL_FALSE;
}

SQLRETURN SQLGetFunctionsImpl(SQLHDBC hdbc, SQLUSMALLINT fFunction, SQLUSMALLINT* pfExists) {
  auto* connection = static_cast<DrvConn*>(hdbc);
  if (connection == nullptr) return SQL_INVALID_HANDLE;
  TraceHandle* trace = connection->trace;
  TraceEnter(trace, "SQLGetFunctions(0x%08lx, %u, 0x%08lx)", TraceAddr(hdbc),
             static_cast<unsigned>(fFunction), TraceAddr(pfExists));
  ClearHandleErrors(nullptr, connection, nullptr);
  SQLRETURN result = SQL_SUCCESS;
  if (fFunction >= kFunctionTableSize) {
    PostDbcError(connection, kMsgErrFnTypeRange, 0, nullptr);
    result = SQL_ERROR;
  } else if (pfExists != nullptr) {
    if (fFunction == SQL_API_ALL_FUNCTIONS) {
      std::memcpy(pfExists, connection->functions, sizeof connection->functions);
    } else {
      *pfExists = connection->functions[fFunction];
    }
  }
  TraceReturn(trace, "SQLGetFunctions", result);
  return result;
}
