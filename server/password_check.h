// A login's password checked against a users list so that guessing costs
// the guesser: an address whose logins failed lately takes turns (refused
// at once before its turn), and only so many hashes are computed at once,
// each of which takes memory of its own.
#pragma once

#include <chrono>
#include <string>

#include "server/server_context.h"
#include "server/users.h"

namespace velsrv {

enum class PasswordVerdict {
  kAccepted,
  kRejected,   // unknown user or wrong password
  kBackedOff,  // a login from the address failed lately; not its turn yet
  kBusy,       // no place for the check came free by the deadline
};

// `address` is the client's ("" for a session without a peer: no back-off);
// the wait for a place to check ends at `deadline`.
PasswordVerdict CheckPassword(ServerContext& context, const std::string& address,
                              const UserList& users, const std::string& user,
                              const std::string& password,
                              std::chrono::steady_clock::time_point deadline);

}  // namespace velsrv
