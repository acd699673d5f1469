// The statement options every statement carries, with the connection's
// block of defaults that new statements copy.
#pragma once

#include <cstdint>

// Slots of the block; the ODBC option number of each is in its comment.
enum StmtOptionSlot : uint32_t {
  kOptQueryTimeout = 0,  // SQL_QUERY_TIMEOUT 0
  kOptMaxRows = 1,       // SQL_MAX_ROWS 1
  kOptMaxLength = 2,     // SQL_MAX_LENGTH 3
  kOptAsyncEnable = 3,   // SQL_ASYNC_ENABLE 4
  kOptNoScan = 4,        // SQL_NOSCAN 2
  kOptBindType = 5,      // SQL_BIND_TYPE 5
  kOptUnused = 6,
  kOptConcurrency = 7,      // SQL_CONCURRENCY 7
  kOptRowsetSize = 8,       // SQL_ROWSET_SIZE 9
  kOptKeysetSize = 9,       // SQL_KEYSET_SIZE 8
  kOptCursorType = 10,      // SQL_CURSOR_TYPE 6
  kOptRetrieveData = 11,    // SQL_RETRIEVE_DATA 11
  kOptSimulateCursor = 12,  // SQL_SIMULATE_CURSOR 10
  kOptUseBookmarks = 13,    // SQL_USE_BOOKMARKS 12
  kOptGetBookmark = 14,     // SQL_GET_BOOKMARK 13, read only
  kOptRowNumber = 15,       // SQL_ROW_NUMBER 14, read only
  kStmtOptionSlots = 16,
};

struct StmtOptions {
  uint32_t slot[kStmtOptionSlots];
};

// What a connection starts with until the login reply replaces it.
inline constexpr StmtOptions kStmtOptionDefaults = {
    {0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0, 1, 0, 0}};
