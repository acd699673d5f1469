// The data sources offered to a client, as the tools read them: items
// "name;description", each ended by a NUL, and an empty item at the end.
// The server-list procedure and the discovery service hand out the same.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "server/config.h"

namespace velsrv {

// Whole items only, the closing NUL included, within `limit` bytes; empty
// for a limit of 0.
std::string OfferedSourceList(const std::vector<DsnEntry>& dsns, size_t limit);

}  // namespace velsrv
