// The parameter markers of a statement text, counted as the client counts
// them, for backends that cannot say how many parameters a statement has.
#pragma once

#include <cstdint>
#include <string>

namespace velsrv {

// Question marks outside quoted strings and quoted names; at most 65535.
uint16_t CountParamMarkers(const std::string& sql);

}  // namespace velsrv
