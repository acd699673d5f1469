#include "platform/registry_names.h"

namespace reg_names {

namespace {

char Fold(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool Equal(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Fold(a[i]) != Fold(b[i])) return false;
  }
  return true;
}

std::vector<std::string> Split(std::string_view path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string Join(const std::vector<std::string>& parts) {
  std::string path;
  for (const std::string& part : parts) {
    if (!path.empty()) path += '\\';
    path += part;
  }
  return path;
}

bool HasPrefix(const std::vector<std::string>& parts, const std::vector<std::string>& prefix) {
  if (prefix.size() > parts.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (!Equal(parts[i], prefix[i])) return false;
  }
  return true;
}

}  // namespace reg_names
