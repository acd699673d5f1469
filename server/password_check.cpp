#include "server/password_check.h"

namespace velsrv {

PasswordVerdict CheckPassword(ServerContext& context, const std::string& address,
                              const UserList& users, const std::string& user,
                              const std::string& password,
                              std::chrono::steady_clock::time_point deadline) {
  AddressBackoff& backoff = context.login_backoff();
  const bool bounded = !address.empty();
  // An address in its back-off is refused at once, before it waits for
  // a place.
  AddressBackoff::Turn turn =
      bounded ? backoff.Begin(address) : AddressBackoff::Turn{true, false, 0};
  if (!turn.granted) return PasswordVerdict::kBackedOff;
  CountingGate::Pass pass(context.password_checks(), deadline);
  if (!pass.entered()) {
    // Nothing was tried: the turn goes back.
    if (bounded) backoff.Succeeded(address, turn);
    return PasswordVerdict::kBusy;
  }
  // Guesses of one address that came at once and waited for their places
  // meet the failures of those before them here: at most as many are
  // checked before the address takes turns as there are places.
  if (bounded && !turn.held) {
    turn = backoff.Begin(address);
    if (!turn.granted) return PasswordVerdict::kBackedOff;
  }
  bool accepted = users.Verify(user, password);
  if (bounded) {
    if (accepted)
      backoff.Succeeded(address, turn);
    else
      backoff.Failed(address);
  }
  return accepted ? PasswordVerdict::kAccepted : PasswordVerdict::kRejected;
}

}  // namespace velsrv
