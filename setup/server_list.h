// The data source's server list (ServerName: comma-separated entries
// host "." port, the first the primary server; an entry host ":" port is
// read too, as the driver reads it) and the parallel list of resolved
// addresses, one item per entry, that tells which entries are on the same
// machine: two entries are the same server when address and port match.
// Lists are NUL-terminated texts in buffers of at least kServerListMax + 1
// characters; an edit whose result would not fit is refused, the list left
// as it was. Entry numbers are 0-based; an empty text is a list without
// entries.
#pragma once

#include <cstddef>
#include <cstdint>

#include "setup/setup_context.h"

constexpr size_t kServerListMax = 512;

// Entry texts.
// The text after the next ",", or null when there is none.
const char* NextListEntry(const char* position);
// Copies the entry at `position` (up to the next "," or the end): 1 for a
// non-empty entry; 0 for an empty one (buffer emptied), and 0 with the
// buffer untouched for a null position or one at the end of the text or
// an entry that does not fit.
int CopyListEntry(const char* position, char* buffer, size_t size);
// Host and port split as the driver splits them (at the last ":", else at
// the last "."); without either the whole entry is the host and the port
// is left as it was.
void SplitServerEntry(const char* entry, char* host, size_t host_size, char* port,
                      size_t port_size);
// First token of the host text "." first token of the port text; 0 when
// either has no token or the entry does not fit.
int BuildServerEntry(const char* host_text, const char* port_text, char* entry, size_t size);
// The text up to the first "," (cut to fit).
void GetPrimaryServerEntry(const char* list, char* buffer, size_t size);

// List edits.
// 1 and the position of entry n; 0 when the list has fewer entries.
int FindNthListEntry(const char* list, const char** position, uint32_t n);
// 1 and a copy of entry n; 0 when it does not exist or is empty.
int GetNthListEntry(const char* list, char* buffer, size_t size, uint32_t n);
// Removes entry n with one separating ","; 0 when there is no entry n.
int DeleteNthListEntry(char* list, uint32_t n);
// Appends "," and the entry.
int AppendListEntry(char* list, const char* entry);
// Entry n becomes `entry`; 0 when there is no entry n.
int ReplaceNthListEntry(char* list, const char* entry, uint32_t n);
// 1 and the index of the first entry equal to the text ignoring case; 0
// for an empty list, an empty text or no match.
int FindListEntry(const char* list, const char* text, uint32_t* index);
// The same, comparing only each entry's host part.
int FindListEntryByHost(const char* list, const char* host, uint32_t* index);
// 1 and the index of the first entry from `from` on that is the same
// server: its resolved item equals `item` ignoring case and its port is
// the same port (a service name and its number are); 0 when none is.
int FindServer(const char* list, const char* resolved, const char* item, const char* port,
               uint32_t from, uint32_t* index);
// 1 when entry n of the context's ServerName exists and its host part
// equals the host ignoring case.
int IsNthEntryHost(const SetupContext* context, const char* host, uint32_t n);
// Makes host "." port the first entry of ServerName and `item` the first
// resolved item, keeping the secondary entries of both when both lists
// have any; an empty host or a null item empties both first entries.
int ReplacePrimaryServer(SetupContext* context, const char* host, const char* port,
                         const char* item);

// Whole lists.
// 1 when the list is not empty and every entry is one host, a "." or ":"
// and one valid port, blanks around them allowed and nothing else.
int ValidateServerList(const char* list);
// Drops empty entries and entries for a server already listed (same
// resolved address and same port), writes each entry that reads cleanly
// as host "." port without blanks, and builds the resolved list beside
// it. 0, both lists unchanged, when either would not fit.
int NormalizeServerList(char* list, char* resolved);
