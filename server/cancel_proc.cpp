// Procedure 3: cancel the call running on another connection, found by the
// cancel key its login was given.
#include "server/procedures.h"

namespace velsrv {

int16_t CancelPendingProc(Call& call) {
  uint16_t key = 0;
  if (!call.Parsed(MsgBufGetU16(call.in(), &key))) return call.BadRequest();
  std::shared_ptr<Session> target =
      key != 0 ? call.session().context().registry().FindByCancelKey(key) : nullptr;
  // Nobody can read a diagnostic of this connection: it carries no login.
  if (target == nullptr) return kStatusError;
  target->CancelActiveCall();
  return kStatusOk;
}

}  // namespace velsrv
