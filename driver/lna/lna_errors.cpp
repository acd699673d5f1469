#include "driver/lna/lna_errors.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "common/str_util.h"
#include "common/tls_slot.h"
#include "driver/lna/lna_messages.h"
#include "driver/lna/lna_shared_state.h"
#include "driver/lna/net_error.h"
#include "driver/lna/unresolved_host.h"

namespace {

constexpr size_t kSqlStateLength = 5;

// The message text behind the 5-character SQLSTATE of `full`.
const char* AfterSqlState(const char* full) {
  return std::strlen(full) > kSqlStateLength ? full + kSqlStateLength : "";
}

// The network template with "%d" and "%ld" filled in. The template may
// come from a message file, so it is never handed to printf: any other
// conversion stays as written.
void FillHostText(char* out, const char* tmpl, const char* host) {
  const char* at = std::strstr(tmpl, "%s");
  if (at == nullptr) {
    AppendDiagText(out, tmpl);
    return;
  }
  std::string before(tmpl, static_cast<size_t>(at - tmpl));
  AppendDiagText(out, before.c_str());
  AppendDiagText(out, host);
  AppendDiagText(out, at + 2);
}

void FillNetworkText(char* out, const char* tmpl, uint32_t procedure, uint32_t code) {
  char number[24];
  char piece[2] = {0, 0};
  for (const char* p = tmpl; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 'd') {
      std::snprintf(number, sizeof number, "%d", static_cast<int>(procedure));
      AppendDiagText(out, number);
      ++p;
    } else if (p[0] == '%' && p[1] == 'l' && p[2] == 'd') {
      std::snprintf(number, sizeof number, "%ld", static_cast<long>(code));
      AppendDiagText(out, number);
      p += 2;
    } else {
      piece[0] = *p;
      AppendDiagText(out, piece);
    }
  }
}

void CopySqlState(char* out, const char* text) {
  size_t n = strnlen(text, kSqlStateLength);
  std::memcpy(out, text, n);
  out[n] = '\0';
}

// Into the statement's slot, else the connection's, else nowhere.
void Store(LnaConnection* conn, LnaStatement* stmt, const LnaDiagRecord& made) {
  LnaFieldGuard guard;
  if (stmt != nullptr) {
    stmt->diag = made;
    stmt->diag_waiting = 1;
  } else if (conn != nullptr) {
    conn->diag = made;
    conn->diag_waiting = 1;
  }
}

}  // namespace

void AppendDiagText(char* buffer, const char* text) {
  StrAppendBounded(buffer, text, kLnaDiagTextMax + 1);
}

LnaDiagRecord MakeLnaDiagnostic(const char* sqlstate, int32_t location, const char* text) {
  LnaDiagRecord made{};
  CopySqlState(made.sqlstate, sqlstate != nullptr ? sqlstate : "");
  made.native_error = location;
  char prefix[kLnaDiagTextMax + 1];
  LnaMessageText(kLnaMsgLayerPrefix, prefix, sizeof prefix);
  AppendDiagText(made.text, prefix);
  AppendDiagText(made.text, text != nullptr ? text : "");
  return made;
}

void SaveLnaDiagnostic(LnaConnection* conn, LnaStatement* stmt, const char* sqlstate,
                       int32_t location, const char* text) {
  Store(conn, stmt, MakeLnaDiagnostic(sqlstate, location, text));
}

LnaDiagRecord MakeLnaError(uint32_t message, uint32_t native_message, int32_t location) {
  char primary[kLnaDiagTextMax + 1];
  LnaMessageText(message, primary, sizeof primary);
  char sqlstate[kSqlStateLength + 1];
  CopySqlState(sqlstate, primary);
  if (native_message == 0) return MakeLnaDiagnostic(sqlstate, location, AfterSqlState(primary));
  char text[kLnaDiagTextMax + 1];
  LnaMessageText(native_message, text, sizeof text);
  return MakeLnaDiagnostic(sqlstate, location, text);
}

void PostLnaError(LnaConnection* conn, LnaStatement* stmt, uint32_t message,
                  uint32_t native_message, int32_t location) {
  Store(conn, stmt, MakeLnaError(message, native_message, location));
}

int16_t RefuseBroken(LnaConnection* conn, LnaStatement* stmt, int32_t location) {
  // The connection failed: what the application learns of it is a
  // communication failure, call after call, not a general error.
  char sqlstate[kSqlStateLength + 1];
  char text[kLnaDiagTextMax + 1];
  LnaMessageText(kLnaMsgSqlState, sqlstate, sizeof sqlstate);
  LnaMessageText(kLnaMsgDeadConnection, text, sizeof text);
  SaveLnaDiagnostic(conn, stmt, sqlstate, location, text);
  return kLnaFailed;
}

bool LnaTransportDiagnostic(uint32_t procedure, LnaDiagRecord* out) {
  uint32_t code = TlsSlotGet();
  if (code == 0) return false;

  char sqlstate[kSqlStateLength + 1] = "";
  char message[kLnaDiagTextMax + 1] = "";
  char text[kLnaDiagTextMax + 1];
  uint32_t number = kLnaMsgNetwork;
  switch (code) {
    case 2:
      number = kLnaMsgNoMemory;
      break;
    case 3:
    case 4:
      number = kLnaMsgProtocolLib;
      break;
    case 126:
    case 130:
    case 152:
      number = kLnaMsgServerCrash;
      break;
    case 133:
      number = kLnaMsgServerNotRunning;
      break;
    case 137:
      number = kLnaMsgServerNotFound;
      break;
    case 148:
    case 151:
      number = kLnaMsgDataNotFound;
      break;
    case kNetErrTimedOut:
      number = kLnaMsgNoReply;
      std::strcpy(sqlstate, "S1T00");
      break;
    case 201:
      number = kLnaMsgPack;
      break;
    case 202:
      number = kLnaMsgUnpack;
      break;
    default:
      break;
  }
  // A host whose name did not resolve is named.
  if (code >= 148 && code <= 151 && NetUnresolvedHost()[0] != '\0') {
    number = kLnaMsgUnknownHost;
    std::strcpy(sqlstate, "08001");
  }
  LnaMessageText(number, text, sizeof text);
  if (number == kLnaMsgUnknownHost) {
    FillHostText(message, text, NetUnresolvedHost());
  } else if (number == kLnaMsgNoMemory) {
    CopySqlState(sqlstate, text);
    AppendDiagText(message, AfterSqlState(text));
  } else if (number == kLnaMsgNetwork) {
    FillNetworkText(message, text, procedure, code);
  } else {
    AppendDiagText(message, text);
  }
  if (sqlstate[0] == '\0') LnaMessageText(kLnaMsgSqlState, sqlstate, sizeof sqlstate);
  *out = MakeLnaDiagnostic(sqlstate, kLocTransportBase + static_cast<int32_t>(procedure), message);
  return true;
}

void PostTransportError(LnaConnection* conn, LnaStatement* stmt, uint32_t procedure) {
  LnaDiagRecord made;
  if (!LnaTransportDiagnostic(procedure, &made)) return;
  Store(conn, stmt, made);
  LnaConnection* owner = conn != nullptr ? conn : (stmt != nullptr ? stmt->conn : nullptr);
  LnaSetBroken(owner, 1);
}
