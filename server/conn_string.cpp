#include "server/conn_string.h"

#include <strings.h>

#include <cctype>

namespace velsrv {

namespace {

bool IsSpace(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

bool ConnString::Parse(const std::string& text) {
  pairs_.clear();
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    while (i < n && IsSpace(text[i])) ++i;
    size_t key_start = i;
    while (i < n && !IsSpace(text[i]) && text[i] != '=') ++i;
    if (i == n || i == key_start) return false;
    std::string key = text.substr(key_start, i - key_start);
    while (i < n && IsSpace(text[i])) ++i;
    if (i == n || text[i] != '=') return false;
    ++i;
    while (i < n && IsSpace(text[i])) ++i;
    size_t value_start = i;
    while (i < n && text[i] != ';') ++i;
    pairs_.emplace_back(std::move(key), text.substr(value_start, i - value_start));
    while (i < n && IsSpace(text[i])) ++i;
    if (i < n && text[i] == ';') ++i;
    while (i < n && IsSpace(text[i])) ++i;
  }
  return true;
}

std::optional<std::string> ConnString::Get(const std::string& key) const {
  for (const auto& [k, v] : pairs_) {
    if (k.size() == key.size() && strcasecmp(k.c_str(), key.c_str()) == 0) return v;
  }
  return std::nullopt;
}

}  // namespace velsrv
