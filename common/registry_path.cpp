#include "common/registry_path.h"

bool RegPathNext(const char** cursor, const char** start, size_t* length) {
  const char* p = *cursor;
  if (p == nullptr) return false;
  while (*p == '\\') ++p;
  if (*p == '\0') {
    *cursor = p;
    return false;
  }
  const char* begin = p;
  while (*p != '\0' && *p != '\\') ++p;
  *start = begin;
  *length = static_cast<size_t>(p - begin);
  *cursor = p;
  return true;
}
