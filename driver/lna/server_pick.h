// Choosing a server from a data source's comma-separated server list.
#pragma once

#include <cstddef>

// At most this many entries of a list are considered, from at most its first
// kServerListMaxText characters (an entry cut there is left out).
constexpr size_t kServerListMaxEntries = 100;
constexpr size_t kServerListMaxText = 499;

// Picks an entry of `list` at random into `entry` (cut to entry_size - 1
// characters). With `failed`, the entry equal to it (the whole entry, never
// a part of a longer one) is first removed from `list` with one separator.
// 1 when an entry was chosen; 0 for an absent or empty list, a failed entry
// that is not in the list, or a list without entries (entry empty).
int PickServerFromList(char* list, char* entry, size_t entry_size, const char* failed);
