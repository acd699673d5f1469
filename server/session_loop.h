// The life of one client connection: the greeting, then requests answered
// in order until the client leaves, the connection is ended, or a frame is
// not to be trusted.
#pragma once

#include <memory>

#include "server/session.h"

namespace velsrv {

// Runs on the session's thread; ends the session's login before returning.
void RunSession(const std::shared_ptr<Session>& session, int fd);

}  // namespace velsrv
