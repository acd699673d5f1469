// The information values a login announces and the information procedure
// answers: the values the server sets itself instead of passing on the
// backend's (what the client and server together support). Which type each
// field of the login reply carries, and each type's kind, are the wire's
// (wire/info_types.h).
#pragma once

#include <cstdint>
#include <string>

#include "server/backend.h"
#include "wire/info_types.h"

namespace velsrv {

// What a login knows that the announced values depend on.
struct InfoContext {
  std::string server_dsn;
  int max_statements = 0;
};

// The value the server announces for `type`: the backend's, or the server's
// own where it differs. A type the backend cannot answer gives an empty text
// or 0. False for a type the server does not answer: one of no kind, and
// the handles of the backend.
bool AnnouncedInfo(BackendConnection& backend, uint16_t type, const InfoContext& context,
                   InfoValue* value);

}  // namespace velsrv
