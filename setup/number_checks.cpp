#include "setup/number_checks.h"

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/net_socket.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Whether the text is read whole as a base-10 number; an out-of-range one
// still is, and gives `overflow`.
bool ReadNumber(const char* text, long long* value, bool* overflow) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  errno = 0;
  *value = std::strtoll(text, &end, 10);
  *overflow = errno == ERANGE;
  // strtoll reads no digit at all when end is the text itself.
  return end != text && *end == '\0';
}

}  // namespace

int CheckNumberRange(const char* text, uint32_t low, uint32_t high, uint32_t* value) {
  long long number = 0;
  bool overflow = false;
  if (!ReadNumber(text, &number, &overflow) || overflow) return 0;
  if (number < static_cast<long long>(low) || number > static_cast<long long>(high)) return 0;
  *value = static_cast<uint32_t>(number);
  return 1;
}

int ValidateBufferSize(const char* text, uint32_t* value) {
  return CheckNumberRange(text, 1, 64, value);
}

std::string_view FirstToken(const char* text) {
  if (text == nullptr) return {};
  const char* start = text;
  while (IsBlank(*start)) ++start;
  const char* end = start;
  while (*end != '\0' && !IsBlank(*end)) ++end;
  return std::string_view(start, end - start);
}

bool SoleToken(std::string_view text, std::string_view* token) {
  size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  size_t end = start;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  size_t rest = end;
  while (rest < text.size() && IsBlank(text[rest])) ++rest;
  if (start == end || rest != text.size()) return false;
  *token = text.substr(start, end - start);
  return true;
}

int PortNumber(const char* token, uint32_t* port) {
  long long number = 0;
  bool overflow = false;
  if (ReadNumber(token, &number, &overflow)) return CheckNumberRange(token, 1, 65535, port);
  uint16_t service_port = 0;
  if (*token == '\0' || !PlatResolveService(token, "tcp", &service_port)) return 0;
  std::string digits = std::to_string(service_port);
  return CheckNumberRange(digits.c_str(), 1, 65535, port);
}

int ValidatePort(const char* port_text, char* token, size_t size) {
  std::string first(FirstToken(port_text));
  if (size > 0) {
    size_t n = first.size() < size - 1 ? first.size() : size - 1;
    first.copy(token, n);
    token[n] = '\0';
  }
  if (first.empty()) return 0;
  uint32_t port = 0;
  return PortNumber(first.c_str(), &port);
}
