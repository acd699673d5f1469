// A server address text, "host:port" or "host.port", read the one way the
// driver connects with: split at the last ':', else at the last '.'. The
// tools and the setup library compare and store entries through it so that
// what they keep is what the driver will dial.
#pragma once

#include <string>
#include <string_view>

struct ServerAddressText {
  std::string host;
  std::string port;  // as written: a number or a service name
};

// False for a text without a separator (nothing to dial); host or port may
// then still be empty, which callers refuse as they see fit.
bool SplitServerAddress(std::string_view text, ServerAddressText* out);
