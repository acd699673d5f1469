// The table of supported functions a login announces, indexed by SQL_API
// number.
#pragma once

#include <array>
#include <cstdint>

namespace velsrv {

// TRUE for every function the driver answers itself or passes on whatever
// the backend is; for the catalog functions, what the backend says; FALSE
// for the functions the driver does not export.
std::array<uint16_t, 100> AnnouncedFunctions(const std::array<uint16_t, 100>& backend);

}  // namespace velsrv
