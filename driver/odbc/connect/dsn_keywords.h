// Completing a connection's keywords from its data source's section of
// ODBC.INI, read through the ODBC installer.
#pragma once

#include <cstddef>
#include <cstdint>

struct ConnKeyword;

// Whether the DSN keyword names a section to read: an empty name does not,
// and the installer would answer it from the first section that holds the
// key, which is another data source's.
bool NamesDataSource(const ConnKeyword& dsn);

// Every unset keyword but DRIVER from the DSN's section; a non-empty value
// sets the keyword. Nothing is read when DRIVER is set or the DSN is
// empty. 0.
int32_t ReadDsnKeywords(ConnKeyword* keywords, uint32_t count, uint32_t dsn, uint32_t driver);
// When `ArrayFetchOn` is unset: it (default "1") and, when also unset,
// `ArrayBufferSize` (default "8") from the section, both then set; without
// a DSN both take their defaults. 0.
int32_t ReadDsnArrayDefaults(ConnKeyword* keywords, uint32_t count, uint32_t dsn, uint32_t driver);
// Appends ";key=value" for every further non-empty key of the section that
// names no keyword, after dropping a trailing ";" of `text` (a terminated
// string in `size` bytes); none without a DSN. A key whose item would not fit is left out
// whole. 0, or -1 when out of memory.
int32_t AppendExtraDsnKeys(const ConnKeyword* keywords, uint32_t count, uint32_t dsn,
                           uint32_t driver, char* text, size_t size);
