// Reading diagnostics: the client's saved one first, one per call, then the
// server's. Reading is allowed while an asynchronous call is pending: the
// pending call is re-sent by each repetition and nothing is outstanding on
// the connection in between, and refusing would lose the diagnostics.
#include <cstring>

#include "driver/lna/conn_stubs.h"
#include "driver/lna/lna_errors.h"
#include "driver/lna/lna_shared_state.h"

namespace {

// The saved diagnostic, when one is waiting, into `out`; 1 when taken.
int TakeSaved(uint32_t* waiting, const LnaDiagRecord* slot, LnaDiagRecord* out) {
  LnaFieldGuard guard;
  if (!*waiting) return 0;
  *out = *slot;
  *waiting = 0;
  return 1;
}

// What the server said about a refused login, all at once.
uint16_t TakeLoginDiags(LnaConnection* conn, LnaDiagRecord* out) {
  LnaFieldGuard guard;
  uint16_t n = conn->login_diag_count;
  for (uint16_t i = 0; i < n; ++i) out[i] = conn->login_diags[i];
  conn->login_diag_count = 0;
  return n;
}

// A server diagnostic that says the data source's connection behind the
// login is gone: a connection exception (class 08), or the backend's
// session ended by its operator or a crash (PostgreSQL's 57P01, 57P02).
bool SaysSourceLost(const char* sqlstate) {
  return std::strncmp(sqlstate, "08", 2) == 0 || std::strcmp(sqlstate, "57P01") == 0 ||
         std::strcmp(sqlstate, "57P02") == 0;
}

// The server's records, remembering the first that says the data source's
// connection is gone: work of an open transaction went with it, whatever a
// later commit or rollback is told.
int16_t ServerDiagnostics(LnaConnection* conn, int32_t server_conn, int32_t server_stmt,
                          LnaDiagRecord* records, uint16_t* count) {
  int16_t status = _rpcLnaGetErrorsSP(&conn->rpc, server_conn, server_stmt, records, count);
  for (uint16_t i = 0; i < *count; ++i) {
    if (!SaysSourceLost(records[i].sqlstate)) continue;
    LnaFieldGuard guard;
    if (!conn->source_lost) {
      conn->source_lost = 1;
      conn->source_lost_reason = records[i];
    }
    break;
  }
  return status;
}

}  // namespace

int16_t LnaGetDiagnostics(LnaConnection* conn, LnaStatement* stmt, LnaDiagRecord* records,
                          uint16_t* count) {
  if (count != nullptr) *count = 0;
  if (records == nullptr || count == nullptr) return kLnaNoRecord;
  if (stmt != nullptr) {
    if (TakeSaved(&stmt->diag_waiting, &stmt->diag, records)) {
      *count = 1;
      return kLnaOk;
    }
    if (LnaIsBroken(stmt->conn)) return RefuseBroken(nullptr, stmt, kLocStmtDiagnostics);
    return ServerDiagnostics(stmt->conn, 0, stmt->server_stmt, records, count);
  }
  if (conn == nullptr) return kLnaNoRecord;
  if (TakeSaved(&conn->diag_waiting, &conn->diag, records)) {
    *count = 1;
    return kLnaOk;
  }
  uint16_t login = TakeLoginDiags(conn, records);
  if (login > 0) {
    *count = login;
    return kLnaOk;
  }
  if (LnaIsBroken(conn)) return RefuseBroken(conn, nullptr, kLocConnDiagnostics);
  return ServerDiagnostics(conn, conn->server_conn, 0, records, count);
}
