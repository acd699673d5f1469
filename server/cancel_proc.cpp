// Procedure 3: cancel the call running on another connection, found by the
// cancel key its login was given. The key has only 16 bits, so a cancel
// counts only from the address the session's own connection came from, a
// wrong key ends the connection that named it, and an address that named
// one waits its turn for every further cancel.
#include "server/log.h"
#include "server/procedures.h"
#include "wire/calls.h"

namespace velsrv {

int16_t CancelPendingProc(Call& call) {
  Session& s = call.session();
  CancelPendingRequest request;
  if (!call.Parsed(Decode(call.in(), &request))) return call.BadRequest();
  const uint16_t key = request.cancel_key;
  const std::string& from = s.peer_address();
  // A session driven in process has no peer to slow down.
  CancelGuard& guard = s.context().cancel_guard();
  if (!from.empty() && !guard.AwaitTurn(from)) {
    s.end_after_reply = true;
    return kStatusError;
  }
  std::shared_ptr<Session> target =
      key != 0 ? s.context().registry().FindByCancelKey(key) : nullptr;
  // Nobody can read a diagnostic of this connection: it carries no login.
  if (target == nullptr || target->peer_address() != from) {
    if (!from.empty()) guard.Failed(from);
    Log(LogLevel::kWarning,
        "bad cancel key from " + from +
            (target == nullptr ? "" : " (the key of a session from elsewhere)") +
            "; connection closed");
    s.end_after_reply = true;
    return kStatusError;
  }
  Log(LogLevel::kInfo,
      "cancel from " + from + " for connection " + std::to_string(target->connection_id()));
  target->CancelActiveCall();
  return kStatusOk;
}

}  // namespace velsrv
