// The steps every catalog function runs, from the asynchronous rule to the
// state of the result set it leaves; the functions differ only in their
// arguments, their call-layer operation and their result kind.
#pragma once

#include <sql.h>

#include <cstddef>
#include <cstdint>
#include <functional>

#include "driver/odbc/core/arg_copy.h"

struct DrvStmt;
struct LnaColumnDesc;
struct StmtSnapshot;
struct TraceHandle;

// One string argument as the application passed it, with the SQLGetInfo
// type of its maximum length (0: no maximum).
struct CatalogString {
  const SQLCHAR* text;
  SQLSMALLINT length;
  uint16_t max_info;
};

constexpr uint32_t kMaxCatalogStrings = 6;

enum class CatalogEntry {
  kRefused,  // 5144 posted: another function is outstanding
  kFresh,
  kResume,  // this function is outstanding: continue it
};

// Applies the asynchronous rule for the function numbered `api`.
CatalogEntry CatalogBegin(DrvStmt* statement, uint16_t api);
// Copies the strings in the order given by `order` (indexes into
// `strings`), each checked against its maximum with the connection's
// pattern escape. False when one failed (posted); the copies made stay for
// FreeArgCopy.
bool CopyCatalogStrings(DrvStmt* statement, const CatalogString* strings, const uint32_t* order,
                        uint32_t count, ArgCopy* copies);
// Snapshot, `wrapper`, the pending fields and the restore: the code of the
// call. An outstanding call that fails leaves the statement allocated
// without a result set.
SQLRETURN CatalogCall(DrvStmt* statement, uint16_t api, const std::function<SQLRETURN()>& wrapper);
// Success or a call still running open the result set of `kind`.
void OpenCatalogResult(DrvStmt* statement, uint16_t kind, SQLRETURN code);
// The reply of a call-layer catalog operation: the status mapped (server
// diagnostics posted), the columns described unless it failed or still
// runs, the reply array freed.
SQLRETURN CatalogReply(DrvStmt* statement, int16_t status, LnaColumnDesc* reply, uint16_t count);

// The work of a catalog function inside its statement shell: `wrapper`
// receives the copies in API order (all null when a call is resumed).
SQLRETURN RunCatalog(DrvStmt* statement, uint16_t api, uint16_t kind, const CatalogString* strings,
                     uint32_t count, const uint32_t* copy_order,
                     const std::function<SQLRETURN(const ArgCopy*)>& wrapper);

// The entry trace text of catalog function `name` at `out` (cut to `size`):
// the statement, each string argument as the trace shows it with its
// length, then `tail` (the function's other traced arguments, formatted).
void FormatCatalogEntry(char* out, size_t size, const char* name, const void* hstmt,
                        const CatalogString* strings, uint32_t count, const char* tail);
// Writes the entry trace line of FormatCatalogEntry on `trace`.
void TraceCatalogEntry(TraceHandle* trace, const char* name, const void* hstmt,
                       const CatalogString* strings, uint32_t count, const char* tail);
// A catalog function whole: the statement shell with the entry trace line
// of TraceCatalogEntry, and RunCatalog inside it.
SQLRETURN CatalogFunction(SQLHSTMT hstmt, const char* name, uint16_t api, uint16_t kind,
                          const CatalogString* strings, uint32_t count, const uint32_t* copy_order,
                          const char* tail,
                          const std::function<SQLRETURN(DrvStmt*, const ArgCopy*)>& wrapper);
