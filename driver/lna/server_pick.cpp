#include "driver/lna/server_pick.h"

#include <cstring>
#include <string_view>

#include "driver/lna/lna_random.h"

namespace {

// Removes the entry equal to `failed` with the ',' after it, or for the last
// entry the ',' before it. False when no entry equals it.
bool RemoveEntry(char* list, std::string_view failed) {
  size_t length = std::strlen(list);
  size_t start = 0;
  while (start <= length) {
    const char* comma = std::strchr(list + start, ',');
    size_t end = comma != nullptr ? static_cast<size_t>(comma - list) : length;
    if (std::string_view(list + start, end - start) == failed) {
      size_t from = start, to = end;
      if (end < length) {
        to = end + 1;
      } else if (start > 0) {
        from = start - 1;
      }
      std::memmove(list + from, list + to, length - to + 1);
      return true;
    }
    start = end + 1;
  }
  return false;
}

void CopyEntry(std::string_view from, char* entry, size_t entry_size) {
  if (entry_size == 0) return;
  size_t n = from.size() < entry_size - 1 ? from.size() : entry_size - 1;
  if (n > 0) std::memcpy(entry, from.data(), n);
  entry[n] = '\0';
}

}  // namespace

int PickServerFromList(char* list, char* entry, size_t entry_size, const char* failed) {
  if (list == nullptr || list[0] == '\0') return 0;
  if (failed != nullptr && !RemoveEntry(list, failed)) return 0;

  std::string_view text(list, strnlen(list, kServerListMaxText));
  // An entry that the cut goes through names no server.
  if (list[text.size()] != '\0' && list[text.size()] != ',') {
    size_t comma = text.rfind(',');
    text = comma == std::string_view::npos ? std::string_view() : text.substr(0, comma);
  }
  std::string_view entries[kServerListMaxEntries];
  size_t count = 0;
  while (count < kServerListMaxEntries) {
    size_t comma = text.find(',');
    std::string_view piece = text.substr(0, comma);
    if (!piece.empty()) entries[count++] = piece;
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (count == 0) {
    CopyEntry({}, entry, entry_size);
    return 0;
  }
  size_t chosen = count == 1 ? 0 : LnaRandom() % count;
  CopyEntry(entries[chosen], entry, entry_size);
  return 1;
}
