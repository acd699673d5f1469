// Builds a list as the server-list exports and discovery answers carry it:
// each item followed by a NUL, then the closing empty item.
#pragma once

#include <string>
#include <vector>

inline std::string NulSeparatedList(const std::vector<std::string>& items) {
  std::string list;
  for (const std::string& item : items) {
    list += item;
    list.push_back('\0');
  }
  list.push_back('\0');
  return list;
}
