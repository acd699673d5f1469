#include "driver/odbc/connect/get_info_api.h"

#include <sqlext.h>

#include <cstring>

#include "common/trace.h"
#include "driver/odbc/core/arg_copy.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/get_info.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/stmt_state.h"
#include "driver/odbc/diag/trace_addr.h"

namespace {

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

// SQLGetInfo inside its connection shell.
SQLRETURN GetInfo(DrvConn* connection, SQLUSMALLINT fInfoType, SQLPOINTER rgbInfoValue,
                  SQLSMALLINT cbInfoValueMax, SQLSMALLINT* pcbInfoValue) {
  if (ConnHasPendingAsyncCall(connection)) {
    PostDbcError(connection, kMsgErrOutOfSequence, 0, nullptr);
    return SQL_ERROR;
  }
  if (connection->state < kConnConnected) {
    PostDbcError(connection, kMsgErrConnectNotOpen, 0, nullptr);
    return SQL_ERROR;
  }
  uintptr_t handle_in = 0;
  if (fInfoType == SQL_DRIVER_HSTMT && rgbInfoValue != nullptr &&
      cbInfoValueMax >= static_cast<SQLSMALLINT>(sizeof handle_in))
    std::memcpy(&handle_in, rgbInfoValue, sizeof handle_in);
  InfoValue value;
  SQLRETURN result = DrvGetInfo(connection, fInfoType, handle_in, &value);
  if (result != SQL_SUCCESS && result != SQL_SUCCESS_WITH_INFO) return result;

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
  return result;
}

}  // namespace

SQLRETURN SQLGetInfoImpl(SQLHDBC hdbc, SQLUSMALLINT fInfoType, SQLPOINTER rgbInfoValue,
                         SQLSMALLINT cbInfoValueMax, SQLSMALLINT* pcbInfoValue) {
  return ConnectionEntry(
      hdbc, "SQLGetInfo",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLGetInfo(0x%08lx, %u, 0x%08lx, %d, 0x%08lx)", TraceAddr(hdbc),
                   static_cast<unsigned>(fInfoType), TraceAddr(rgbInfoValue),
                   static_cast<int>(cbInfoValueMax), TraceAddr(pcbInfoValue));
      },
      [&](DrvConn* connection) {
        return GetInfo(connection, fInfoType, rgbInfoValue, cbInfoValueMax, pcbInfoValue);
      });
}

void SetFunctionTable(DrvConn* connection, const uint16_t* server_flags) {
  for (uint32_t i = 0; i < kFunctionTableSize; ++i)
    connection->functions[i] = server_flags[i] != 0 ? SQL_TRUE : SQL_FALSE;
  for (uint16_t f : kOwnFunctions) connection->functions[f] = SQL_TRUE;
  for (uint16_t f : kWithheld) connection->functions[f] = SQL_FALSE;
}

SQLRETURN SQLGetFunctionsImpl(SQLHDBC hdbc, SQLUSMALLINT fFunction, SQLUSMALLINT* pfExists) {
  return ConnectionEntry(
      hdbc, "SQLGetFunctions",
      [&](TraceHandle* trace) {
        TraceEnter(trace, "SQLGetFunctions(0x%08lx, %u, 0x%08lx)", TraceAddr(hdbc),
                   static_cast<unsigned>(fFunction), TraceAddr(pfExists));
      },
      [&](DrvConn* connection) -> SQLRETURN {
        if (fFunction >= kFunctionTableSize) {
          PostDbcError(connection, kMsgErrFnTypeRange, 0, nullptr);
          return SQL_ERROR;
        }
        if (pfExists == nullptr) return SQL_SUCCESS;
        if (fFunction == SQL_API_ALL_FUNCTIONS) {
          std::memcpy(pfExists, connection->functions, sizeof connection->functions);
        } else {
          *pfExists = connection->functions[fFunction];
        }
        return SQL_SUCCESS;
      });
}
