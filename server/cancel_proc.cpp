// Procedure 3: cancel the call running on another connection, found by the
// cancel key its login was given. The key has only 16 bits, so a cancel
// counts only from the address the session's own connection came from, a
// wrong key ends the connection that named it, and an address that named
// one takes turns for every further cancel, refused at once before its
// turn.
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
  AddressBackoff& backoff = s.context().cancel_backoff();
  AddressBackoff::Turn turn =
      from.empty() ? AddressBackoff::Turn{true, false, 0} : backoff.Begin(from);
  if (!turn.granted) {
    Log(LogLevel::kWarning, "cancel from " + from +
                                " refused at once: wrong keys came from there lately, and it takes "
                                "one try a second; connection closed");
    s.end_after_reply = true;
    return kReplyFailed;
  }
  std::shared_ptr<Session> target =
      key != 0 ? s.context().registry().FindByCancelKey(key) : nullptr;
  // Nobody can read a diagnostic of this connection: it carries no login.
  if (target == nullptr || target->peer_address() != from) {
    if (!from.empty()) backoff.Failed(from);
    Log(LogLevel::kWarning,
        "bad cancel key from " + from +
            (target == nullptr ? "" : " (the key of a session from elsewhere)") +
            "; connection closed");
    s.end_after_reply = true;
    return kReplyFailed;
  }
  if (!from.empty()) backoff.Succeeded(from, turn);
  Log(LogLevel::kInfo,
      "cancel from " + from + " for connection " + std::to_string(target->connection_id()));
  target->CancelActiveCall();
  return kReplyOk;
}

}  // namespace velsrv
