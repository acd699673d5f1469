// Login and logout of a call-layer connection.
#include <cstdlib>
#include <cstring>

#include "common/memory.h"
#include "common/tls_slot.h"
#include "driver/lna/conn_stubs.h"
#include "driver/lna/lna_async.h"
#include "driver/lna/lna_conn_attr.h"
#include "driver/lna/lna_errors.h"
#include "driver/lna/lna_shared_state.h"
#include "driver/lna/lna_trace_args.h"
#include "driver/lna/login.h"
#include "wire/protocol.h"

namespace {

// Flag the login sets in the last word of the statement-option record.
constexpr uint32_t kLoginFeatureFlag = 16;
constexpr size_t kFeatureWord = 12;

// What an earlier login on the record left open.
void DropPreviousLogin(LnaConnection* conn) {
  RpcConnClose(conn->rpc);
  conn->rpc = nullptr;
  TraceClose(conn->trace);
  conn->trace = nullptr;
  LnaFieldGuard guard;
  conn->login_diag_count = 0;
  conn->source_lost = 0;
}

// A login the server refused without a connection id: its reasons are
// read before the connection goes, so that the application sees them.
void KeepRefusalReasons(LnaConnection* conn) {
  LnaDiagRecord records[kLnaMaxDiagnostics];
  uint16_t count = 0;
  if (_rpcLnaGetErrorsSP(&conn->rpc, 0, 0, records, &count) < 0) count = 0;
  LnaFieldGuard guard;
  for (uint16_t i = 0; i < count; ++i) conn->login_diags[i] = records[i];
  conn->login_diag_count = count;
}

// The login's wait for the greeting and the reply: the application's login
// timeout, else the data source's LoginTimeout in seconds (0: no bound),
// else the default.
uint32_t LoginWaitMs(LnaConnection* conn, const char* conn_in) {
  if (conn->login_wait_ms != 0) return conn->login_wait_ms;
  char text[16];
  if (LnaGetConnAttr(nullptr, nullptr, "LoginTimeout", conn_in, text, sizeof text) != kLnaOk ||
      text[0] == '\0')
    return kRpcDefaultWaitMs;
  char* end = nullptr;
  unsigned long seconds = std::strtoul(text, &end, 10);
  if (end == text || *end != '\0' || seconds > 86400) return kRpcDefaultWaitMs;
  return static_cast<uint32_t>(seconds * 1000);
}

}  // namespace

void LnaSetLoginTimeout(LnaConnection* conn, uint32_t seconds) {
  if (conn == nullptr) return;
  conn->login_wait_ms = seconds > UINT32_MAX / 1000 ? UINT32_MAX : seconds * 1000;
}

int16_t LnaConnectMP(LnaConnection* conn, const char* conn_in, char* conn_out, int32_t out_size,
                     uint32_t* extra, LnaServerInfo* server_info, LnaLoginInfo154* info154,
                     LnaLoginInfo96* info96, LnaTypeInfo** types, uint16_t* type_count,
                     LnaTableType** table_types, uint16_t* table_type_count, uint16_t* functions,
                     LnaConnectResult* connect_result, LnaLoginInfo52* info52) {
  if (conn == nullptr) return kLnaNoRecord;
  DropPreviousLogin(conn);
  int32_t level = 0;
  TraceHandle* trace = LnaOpenTrace(conn_in, &level);
  conn->trace = trace;
  char* masked = nullptr;
  if (trace != nullptr && conn_in != nullptr) {
    masked = static_cast<char*>(MemAlloc(std::strlen(conn_in) + 1));
    if (masked != nullptr) {
      std::strcpy(masked, conn_in);
      MaskConnPassword(masked);
    }
  }
  const char* shown = masked != nullptr ? masked : "";
  TraceEnter(trace,
             "LnaConnectMP(0x%08lx, pszConnIn, 0x%08lx, %u, 0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, "
             "0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx)",
             TraceAddr(conn), TraceAddr(conn_out), static_cast<unsigned>(out_size),
             TraceAddr(extra), TraceAddr(server_info), TraceAddr(info154), TraceAddr(info96),
             TraceAddr(types), TraceAddr(type_count), TraceAddr(table_types),
             TraceAddr(table_type_count), TraceAddr(functions), TraceAddr(connect_result),
             TraceAddr(info52));
  TracePrintf(trace, " pszConnIn = \"%-.512s\"\n", shown);

  char server[kLnaServerNameSize];
  int16_t result = LnaGetConnAttr(conn, nullptr, "ServerName", conn_in, server, sizeof server);
  if (result == kLnaOk && server[0] == '\0') {
    PostLnaError(conn, nullptr, kLnaMsgGeneric, kLnaMsgNoServerName, kLocNoServerName);
    result = kLnaFailed;
  }
  if (result == kLnaOk) {
    int32_t server_conn = 0;
    uint16_t cancel_key = 0;
    TracePrintf(trace,
                "_rpcLnaConnectMP(\"%-.512s\", 0x%08lx, 0x%08lx, 0x%08lx, pszConnIn, 0x%08lx, "
                "%u, 0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, 0x%08lx, "
                "0x%08lx, 0x%08lx, 0x%08lx)\n",
                server, TraceAddr(&server_conn), TraceAddr(&conn->rpc), TraceAddr(&cancel_key),
                TraceAddr(conn_out), static_cast<unsigned>(out_size), TraceAddr(extra),
                TraceAddr(server_info), TraceAddr(info154), TraceAddr(info96), TraceAddr(types),
                TraceAddr(type_count), TraceAddr(table_types), TraceAddr(table_type_count),
                TraceAddr(functions), TraceAddr(connect_result), TraceAddr(info52));
    conn->call_wait_ms = LoginWaitMs(conn, conn_in);
    result =
        _rpcLnaConnectMP(server, &server_conn, &conn->rpc, &cancel_key, conn_in, conn_out, out_size,
                         extra, server_info, info154, info96, types, type_count, table_types,
                         table_type_count, functions, connect_result, info52, conn->call_wait_ms);
    // Logged in, a call that runs no statement waits as long as the login
    // might have; a statement's call as long as its query timeout says.
    if (conn->rpc != nullptr) conn->rpc->call_wait_ms = conn->call_wait_ms;
    TraceReturn(trace, "_rpcLnaConnectMP", result);
    bool transport_failed = result == kLnaFailed && TlsSlotGet() != 0;

    if (conn->rpc == nullptr) {
      LnaSetBroken(conn, 1);
      conn->server_conn = 0;
      conn->cancel_key = 0;
      conn->server_name[0] = '\0';
      PostTransportError(conn, nullptr, kRpcConnect);
      result = kLnaFailed;
    } else {
      std::memcpy(conn->server_name, server, sizeof server);
      LnaReadArrayFetch(conn, conn_in);
      conn->getdata_extensions = info154 != nullptr ? info154->longs[4] : 0;
      if (transport_failed) {
        // The reply never arrived whole: the connection is of no further use.
        conn->server_conn = 0;
        conn->cancel_key = 0;
        PostTransportError(conn, nullptr, kRpcConnect);
        RpcConnClose(conn->rpc);
        conn->rpc = nullptr;
      } else if (server_conn != 0) {
        conn->server_conn = server_conn;
        conn->cancel_key = cancel_key;
        LnaSetBroken(conn, 0);
        LnaReadAsyncEnable(conn, conn_in);
        if (info52 != nullptr) info52->values[kFeatureWord] |= kLoginFeatureFlag;
        if (result == kLnaOk || result == kLnaInfo) {
          // A diagnostic saved while the settings were read belongs to no
          // later call.
          LnaFieldGuard guard;
          conn->diag_waiting = 0;
        }
      } else {
        conn->server_conn = 0;
        conn->cancel_key = 0;
        LnaSetBroken(conn, 1);
        if (result == kLnaOk || result == kLnaInfo) {
          PostLnaError(conn, nullptr, kLnaMsgGeneric, kLnaMsgDeadConnection, kLocNoServerConn);
          result = kLnaFailed;
        } else {
          KeepRefusalReasons(conn);
        }
        RpcConnClose(conn->rpc);
        conn->rpc = nullptr;
      }
    }
  }
  TraceReturn(trace, "LnaConnectMP", result);
  MemFree(masked);
  return result;
}

int16_t LnaDisconnectSP(LnaConnection* conn) {
  if (conn == nullptr) return kLnaNoRecord;
  TraceHandle* trace = LnaTraceOf(conn);
  TraceEnter(trace, "LnaDisconnectSP(0x%08lx)", TraceAddr(conn));
  int16_t result = _rcLnaCheckNoAsync(conn, nullptr);
  bool allowed = result == kLnaOk;
  if (allowed && conn->rpc != nullptr) {
    if (LnaIsBroken(conn)) {
      // Nothing is sent on a broken connection: a vanished server could
      // block the request.
      RpcConnClose(conn->rpc);
      conn->rpc = nullptr;
      PostLnaError(conn, nullptr, kLnaMsgDisconnect, 0, kLocDisconnect);
      result = kLnaInfo;
    } else {
      TracePrintf(trace, "_rpcLnaDisconnectSP(%d, 0x%08lx)\n", static_cast<int>(conn->server_conn),
                  TraceAddr(conn->rpc));
      result = _rpcLnaDisconnectSP(&conn->rpc, conn->server_conn);
      TraceReturn(trace, "_rpcLnaDisconnectSP", result);
      if (result == kLnaFailed && TlsSlotGet() != 0) {
        // The request or its reply was lost (a server that stopped or
        // went): the connection is closed all the same, as a broken one's
        // is, and the server rolls back what it held open.
        PostTransportError(conn, nullptr, kRpcDisconnect);
        PostLnaError(conn, nullptr, kLnaMsgDisconnect, 0, kLocDisconnect);
        result = kLnaInfo;
      }
    }
    conn->rpc = nullptr;
  }
  TraceReturn(trace, "LnaDisconnectSP", result);
  if (allowed) {
    TraceClose(conn->trace);
    conn->trace = nullptr;
  }
  return result;
}
