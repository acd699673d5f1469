#include "common/str_util.h"

#include <cstring>

namespace {

unsigned char Upper(char c) {
  auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

unsigned char Lower(char c) {
  auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

}  // namespace

int StrCaseCompare(const char* a, const char* b) {
  if (a == nullptr) a = "";
  if (b == nullptr) b = "";
  for (;; ++a, ++b) {
    int diff = Upper(*a) - Upper(*b);
    if (diff != 0 || *a == '\0') return diff;
  }
}

int StrCaseNCompare(const char* a, const char* b, size_t n) {
  if (a == nullptr) a = "";
  if (b == nullptr) b = "";
  for (size_t i = 0; i < n; ++i) {
    int diff = Upper(a[i]) - Upper(b[i]);
    if (diff != 0) return diff < 0 ? -1 : 1;
    if (a[i] == '\0') break;
  }
  return 0;
}

char* StrReverse(char* s) {
  if (s == nullptr) return s;
  char* end = s;
  while (*end != '\0') ++end;
  for (char* begin = s; end - begin > 1;) {
    --end;
    char c = *begin;
    *begin++ = *end;
    *end = c;
  }
  return s;
}

char* StrUpper(char* s) {
  for (char* p = s; p != nullptr && *p != '\0'; ++p) *p = static_cast<char>(Upper(*p));
  return s;
}

char* StrLower(char* s) {
  for (char* p = s; p != nullptr && *p != '\0'; ++p) *p = static_cast<char>(Lower(*p));
  return s;
}

void StrCopyBounded(char* destination, const char* source, size_t n) {
  if (destination == nullptr || source == nullptr || n == 0) return;
  size_t i = 0;
  for (; i < n && source[i] != '\0'; ++i) destination[i] = source[i];
  if (i < n) destination[i] = '\0';
}

void StrAppendBounded(char* destination, const char* source, size_t size) {
  if (destination == nullptr || source == nullptr || size == 0) return;
  size_t used = strnlen(destination, size - 1);
  size_t i = 0;
  for (; used + i < size - 1 && source[i] != '\0'; ++i) destination[used + i] = source[i];
  destination[used + i] = '\0';
}

std::string Trim(std::string_view text, std::string_view blanks) {
  size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return std::string();
  size_t last = text.find_last_not_of(blanks);
  return std::string(text.substr(first, last - first + 1));
}
