// The information values a login announces and the information procedure
// answers: the kind of each ODBC 2 information type, where each travels in
// the login reply, and the values the server sets itself instead of passing
// on the backend's (what the client and server together support).
#pragma once

#include <cstdint>
#include <string>

#include "server/backend.h"

namespace velsrv {

enum class InfoKind { kNone, kText, kU16, kU32 };

// The kind the client reads for information type `type` (0 to 114), or
// kNone for the types the server does not answer: handles of the backend,
// and types the client's table does not know.
InfoKind InfoKindOf(uint16_t type);

// The driver-specific type the client asks of the server; a u32.
constexpr uint16_t kInfoDriverSpecific = 65003;

// Login-reply layout: the information type of each field, in wire order.
// A field that carries no information value is 0xFFFF.
extern const uint16_t kServerInfoTexts[27];
extern const uint16_t kLoginLongs[25];
extern const uint16_t kLoginShorts[27];
// The 96-byte record: types 48 to 71 in order.
constexpr uint16_t kFirstMaskInfo = 48;

// What a login knows that the announced values depend on.
struct InfoContext {
  std::string server_dsn;
  int max_statements = 0;
};

// The value the server announces for `type`: the backend's, or the server's
// own where it differs. A type the backend cannot answer gives an empty text
// or 0. False for a type of kind kNone.
bool AnnouncedInfo(BackendConnection& backend, uint16_t type, const InfoContext& context,
                   InfoValue* value);

}  // namespace velsrv
