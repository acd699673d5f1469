// Procedure 65, the login: unscramble the connection string, read it with
// the client's rules, connect the backend to the named data source with the
// client's user and password, and answer with everything the client keeps
// about its server.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "server/address_backoff.h"
#include "server/backend_limits.h"
#include "server/conn_string.h"
#include "server/diag_summary.h"
#include "server/log.h"
#include "server/login_reply.h"
#include "server/login_types.h"
#include "server/password_check.h"
#include "server/procedures.h"
#include "wire/array_buffer.h"
#include "wire/scramble.h"

namespace velsrv {

namespace {

constexpr uint16_t kInfoDbmsName = 17;  // SQL_DBMS_NAME

std::string Value(const ConnString& cs, const char* key) {
  return cs.Get(key).value_or("");
}

// A value the backend's connection string could not hold as the client
// meant it: braces would end or open a quoted value there.
bool FitsConnectionString(const std::string& value) {
  return value.find_first_of("{}") == std::string::npos;
}

// The client's array fetch buffer as it reads ArrayBufferSize; the default
// when the value is outside what it accepts (the client then fetches row
// by row).
uint32_t ClientArrayBuffer(const ConnString& cs) {
  std::optional<std::string> v = cs.Get("ArrayBufferSize");
  uint32_t bytes = 0;
  return v && ArrayBufferBytes(v->c_str(), &bytes) ? bytes : kDefaultArrayBuffer;
}

// The log line of a refused login.
void LogRefusal(Session& s, const std::string& server_dsn, const std::optional<std::string>& uid,
                const std::string& reason) {
  Log(LogLevel::kWarning, "login refused from " + s.peer_address() + ": user \"" +
                              uid.value_or("") + "\", data source \"" + server_dsn +
                              "\": " + reason);
}

// A login from an address whose logins failed lately, before its turn.
int16_t RefuseBackedOff(Call& call, const std::string& server_dsn,
                        const std::optional<std::string>& uid) {
  LogRefusal(call.session(), server_dsn, uid,
             "a login from there failed lately, and it takes one try a second");
  return call.Fail("08004",
                   "Logins from this address failed lately: the server takes one try a "
                   "second from it. Try again in a moment.");
}

// Logs in; on failure the diagnostics are on the session and the status is
// returned.
int16_t Login(Call& call, const std::string& text, ConnectReply* reply) {
  Session& s = call.session();
  ConnString cs;
  if (!cs.Parse(text)) {
    LogRefusal(s, "", std::nullopt, "the connection string could not be read");
    return call.Fail("08001", "The connection string could not be read.");
  }
  std::string server_dsn = Value(cs, "ServerDSN");
  std::optional<std::string> uid = cs.Get("UID");
  std::optional<std::string> pwd = cs.Get("PWD");
  if (server_dsn.empty()) {
    LogRefusal(s, server_dsn, uid, "no ServerDSN");
    return call.Fail("IM002", "The connection string names no ServerDSN.");
  }
  std::shared_ptr<const SourceCatalog> catalog = s.context().sources();
  const OfferedSource* source = catalog->Find(server_dsn);
  if (source == nullptr) {
    LogRefusal(s, server_dsn, uid, "no such data source");
    return call.Fail("IM002", "Data source name not found on the server: " + server_dsn + ".");
  }
  const DsnEntry* dsn = &source->dsn;
  if ((uid && !FitsConnectionString(*uid)) || (pwd && !FitsConnectionString(*pwd))) {
    LogRefusal(s, server_dsn, uid, "a brace in the user name or password");
    return call.Fail("28000",
                     "The user name or password holds a brace, which the data source "
                     "cannot take.");
  }

  std::string connect = dsn->connect.empty() ? "DSN=" + dsn->name : dsn->connect;
  if (source->check == LoginCheck::kUsers) {
    // The backend connects with the server's credentials; the client's
    // password is for the list only and goes no further.
    const char* reason = source->users == nullptr ? "the data source has no users list"
                         : !uid                   ? "no user name"
                                                  : nullptr;
    if (reason == nullptr) {
      switch (CheckPassword(s.context(), s.peer_address(), *source->users, *uid, pwd.value_or(""),
                            s.login_deadline())) {
        case PasswordVerdict::kAccepted:
          break;
        case PasswordVerdict::kRejected:
          reason = "unknown user or wrong password";
          break;
        case PasswordVerdict::kBackedOff:
          return RefuseBackedOff(call, server_dsn, uid);
        case PasswordVerdict::kBusy:
          LogRefusal(s, server_dsn, uid, "no password check came free within the login timeout");
          return call.Fail("S1T00",
                           "Timeout expired: the server is busy checking other logins. Try "
                           "again in a moment.");
      }
    }
    if (reason != nullptr) {
      LogRefusal(s, server_dsn, uid, reason);
      return call.Fail("28000",
                       "Invalid authorization specification: the user name or "
                       "password is not accepted.");
    }
  } else {
    if (uid) connect += ";UID=" + *uid;
    if (pwd) connect += ";PWD=" + *pwd;
  }
  // Where the backend judges the password, its refusals are guesses too:
  // the address takes turns as it does for the users list.
  AddressBackoff& backoff = s.context().login_backoff();
  const bool guessable = source->check != LoginCheck::kUsers && !s.peer_address().empty();
  AddressBackoff::Turn turn = guessable ? backoff.Begin(s.peer_address()) : AddressBackoff::Turn{};
  if (guessable && !turn.granted) return RefuseBackedOff(call, server_dsn, uid);
  std::unique_ptr<BackendConnection> backend;
  DiagList diags;
  BackendRc rc = s.context().backend().Connect(connect, s.login_deadline(), &backend, &diags);
  int16_t status = call.FromBackend(rc, diags);
  if (status == kReplyFailed || backend == nullptr) {
    if (guessable) backoff.Failed(s.peer_address());
    LogRefusal(s, server_dsn, uid, "the backend refused: " + DiagSummary(diags));
    return kReplyFailed;
  }
  if (guessable) backoff.Succeeded(s.peer_address(), turn);

  DiagList ignored;  // what the backend cannot tell is announced empty
  std::vector<LnaTypeInfo> rows;
  std::string missing;
  if (!ReadLoginTypes(*backend, &rows, &missing)) {
    Log(LogLevel::kError, "data source \"" + dsn->name + "\" answers type information without " +
                              missing + "; login from " + s.peer_address() + " refused");
    return call.Fail("08004", "The data source's type information lacks " + missing +
                                  "; the login is refused, try again.");
  }
  std::string dbms;
  bool limits = Succeeded(backend->GetInfoText(kInfoDbmsName, &dbms, &ignored)) &&
                ApplyBackendLimits(dbms, &rows);
  TypeTable types;
  types.Build(rows);
  types.set_rows_state_limits(limits);
  std::vector<std::string> table_types;
  if (!Succeeded(backend->TableTypes(&table_types, &ignored)) || table_types.empty())
    table_types = {"TABLE", "VIEW"};
  std::array<uint16_t, 100> functions{};
  if (!Succeeded(backend->Functions(&functions, &ignored))) functions.fill(0);

  InfoContext context{dsn->name, s.context().config().max_statements};
  HarvestLogin(*backend, context, types, table_types, functions, reply);
  ClientIdentity client{Value(cs, "ClntUserName"), Value(cs, "ClntHostName"), Value(cs, "ClntIP"),
                        Value(cs, "ExecDesc")};
  s.set_array_buffer_size(ClientArrayBuffer(cs));
  s.LoginSucceeded(std::move(backend), dsn->name, uid.value_or(""), client, std::move(types),
                   std::move(table_types), functions);
  Log(LogLevel::kInfo, "login from " + s.peer_address() + ": user \"" + uid.value_or("") +
                           "\", data source \"" + dsn->name + "\", connection " +
                           std::to_string(s.connection_id()));
  return status;
}

}  // namespace

int16_t ConnectProc(Call& call) {
  Session& s = call.session();
  ConnectReply reply;
  ConnectRequest request;
  bool ok = Decode(call.in(), &request);
  ok = call.Parsed(ok);
  int16_t status;
  if (!s.refusal().empty()) {
    // Refused before any login: no connection id, so that the client asks
    // for the reason with none (and takes the login as refused).
    status = call.Fail("08004", s.refusal());
    s.LoginFailed();
  } else if (s.login_state() != LoginState::kNone) {
    // The diagnostics of the first login may still be unread: keep them.
    status = call.Fail("08002", "This connection already carries a login.");
  } else {
    s.BeginLogin();
    if (!ok) {
      status = call.BadRequest();
    } else {
      const std::vector<uint8_t>& scrambled = request.text;
      std::vector<uint8_t> plain(scrambled.size());
      UnscrambleConnString(scrambled.data(), scrambled.size(), plain.data());
      // Behind the 2-byte prefix; a NUL ends the text.
      std::string text(reinterpret_cast<const char*>(plain.data()) + 2,
                       strnlen(reinterpret_cast<const char*>(plain.data()) + 2, plain.size() - 2));
      status = Login(call, text, &reply);
    }
    if (status == kReplyFailed) s.LoginFailed();
  }
  // Every login, failed ones too, answers with the session's connection id,
  // so that the client can read the login's diagnostics.
  reply.connection_id = s.connection_id();
  reply.cancel_key = s.cancel_key();
  reply.text = EmptyCompletedText(ok ? request.text.size() : 0);
  call.Put(Encode(call.out(), reply));
  return status;
}

}  // namespace velsrv
