// The administrative procedures: list the users, end connections, shut the
// server down. They carry no authentication, so they answer only when the
// configuration allows them, and then by default only from loopback.
#include <algorithm>
#include <cstring>
#include <ctime>

#include "server/procedures.h"
#include "wire/admin_calls.h"
#include "wire/calls.h"

namespace velsrv {

namespace {

bool Allowed(Call& call) {
  switch (call.session().context().config().admin) {
    case AdminAccess::kAny:
      return true;
    case AdminAccess::kLoopback:
      return call.session().peer_loopback();
    case AdminAccess::kOff:
    default:
      return false;
  }
}

template <size_t N>
void CopyField(char (&field)[N], const std::string& text) {
  size_t n = std::min(text.size(), N - 1);
  std::memcpy(field, text.data(), n);
  field[n] = 0;
}

// One user record: the client's user name, its address, its program, the
// login time, the server data source; a word saying whether a call is
// running; the connection id (the one the end-connections request names),
// the statements open, the requests served and the seconds since login.
LnaUserRecord UserRecord(const SessionSummary& s, time_t now) {
  LnaUserRecord u{};
  CopyField(u.text1, s.client.user.empty() ? s.uid : s.client.user);
  CopyField(u.text2, s.client.address);
  CopyField(u.text3, s.client.program);
  char when[21] = "";
  tm parts{};
  if (localtime_r(&s.login_time, &parts) != nullptr)
    strftime(when, sizeof(when), "%Y-%m-%d %H:%M:%S", &parts);
  CopyField(u.text4, when);
  CopyField(u.text5, s.server_dsn);
  u.word = s.in_call ? 1 : 0;
  u.number[0] = s.connection_id;
  u.number[1] = s.statements;
  u.number[2] = static_cast<int32_t>(s.requests & 0x7FFFFFFF);
  u.number[3] = static_cast<int32_t>(now > s.login_time ? now - s.login_time : 0);
  return u;
}

}  // namespace

int16_t EnumUsersProc(Call& call) {
  std::vector<LnaUserRecord> users;
  int16_t status = kReplyOk;
  if (!call.Parsed(true) || !Allowed(call)) {
    status = kReplyFailed;
  } else {
    time_t now = time(nullptr);
    for (const auto& session : call.session().context().registry().All()) {
      if (users.size() == 65535) break;
      SessionSummary s = session->Summary();
      if (s.login_time != 0) users.push_back(UserRecord(s, now));
    }
  }
  // One list element holds every user.
  LnaUserList list{static_cast<uint16_t>(users.size()), users.empty() ? nullptr : users.data()};
  call.Put(Encode(call.out(), status == kReplyOk ? EnumUsersReply{&list, 1} : EnumUsersReply{}));
  return status;
}

int16_t ShutdownProc(Call& call) {
  ShutdownRequest request;  // every mode stops the server the same way
  if (!call.Parsed(Decode(call.in(), &request)) || !Allowed(call)) return kReplyFailed;
  call.session().stop_server_after_reply = true;
  return kReplyOk;
}

// A pair names a connection by its id (first) ; the second word is not used.
int16_t KillConnectionsProc(Call& call) {
  KillConnectionsRequest request;
  if (!call.Parsed(Decode(call.in(), &request)) || !request.connections || !Allowed(call))
    return kReplyFailed;
  int16_t status = kReplyOk;
  for (const LnaPair& pair : *request.connections) {
    std::shared_ptr<Session> target =
        call.session().context().registry().FindByConnectionId(pair.first);
    if (target == nullptr) {
      status = kReplyFailed;
    } else if (target.get() == &call.session()) {
      call.session().end_after_reply = true;
    } else {
      target->Kill();
    }
  }
  return status;
}

}  // namespace velsrv
