#include "driver/odbc/statement/text_helpers.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "driver/odbc/core/drv_stmt.h"

namespace {

// The handle's value in hex would need 16 digits on this platform and
// overflow the 18-character field; a count needs at most 8.
std::atomic<uint32_t> g_cursor_number{0};

bool MatchesAt(const char* text, const char* word) {
  for (size_t i = 0; word[i] != '\0'; ++i) {
    if (text[i] == '\0') return false;
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(word[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

void MakeCursorName(DrvStmt* statement) {
  if (statement == nullptr) return;
  uint32_t number = g_cursor_number.fetch_add(1, std::memory_order_relaxed) + 1;
  std::snprintf(statement->cursor_name, sizeof statement->cursor_name, "SQL_CUR%x", number);
}

const char* FindWordOutsideQuotes(const char* text, const char* word) {
  if (text == nullptr || word == nullptr || text[0] == '\0') return nullptr;
  bool in_literal = false;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '\'') {
      if (p[1] == '\'') {
        ++p;  // a quote character, inside or outside a literal
        continue;
      }
      in_literal = !in_literal;
      continue;
    }
    if (!in_literal && MatchesAt(p, word)) return p;
  }
  return nullptr;
}

char* TrimSet(char* text, const char* set) {
  if (text == nullptr || set == nullptr) return nullptr;
  if (text[0] == '\0' || set[0] == '\0') return text;
  char* start = text;
  while (*start != '\0' && std::strchr(set, *start) != nullptr) ++start;
  char* end = start + std::strlen(start);
  while (end > start && std::strchr(set, end[-1]) != nullptr) --end;
  *end = '\0';
  return start;
}

int32_t ProcessEscapeClauses(DrvConn*, DrvStmt*, const char* text, char* destination, size_t size) {
  if (destination == nullptr || size == 0) return 0;
  if (text == nullptr) text = "";
  size_t n = std::strlen(text);
  if (n >= size) n = size - 1;
  std::memcpy(destination, text, n);
  destination[n] = '\0';
  return 0;
}
