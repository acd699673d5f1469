// Key paths and name comparison shared by the registry's stores. Internal
// to platform/.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace reg_names {

// ASCII case-insensitive equality: the registry's names keep their case but
// compare without it.
bool Equal(std::string_view a, std::string_view b);

// The components of a backslash-separated key path, empty ones skipped.
std::vector<std::string> Split(std::string_view path);
std::string Join(const std::vector<std::string>& parts);

// True when `prefix` has no more components than `parts` and each of them
// equals the component of `parts` at its place.
bool HasPrefix(const std::vector<std::string>& parts, const std::vector<std::string>& prefix);

}  // namespace reg_names
