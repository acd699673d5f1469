// The client name of a data source offered by a server on this very host:
// "_C32" appended (after the first 28 characters of a longer name), so that
// it differs from the same data source seen from another machine.
#pragma once

#include <cstdint>
#include <string>

// The name with the suffix, whatever the host.
std::string AppendLocalSuffix(const std::string& name);
// The name with the suffix when `address` (network order) is one of this
// host's addresses; else the name as it is.
std::string AddLocalSuffix(const std::string& name, uint32_t address);
