// The answers SQLGetInfo gives, for the driver's own use too: from what the
// login returned, a few constants of the driver and three questions to the
// server.
#pragma once

#include <sql.h>

#include <cstdint>

#include "driver/odbc/core/info_table.h"

struct DrvConn;

constexpr uint32_t kInfoScratchSize = 256;

// One answer. Texts asked of the server land in `scratch`, so every call
// has its own.
struct InfoValue {
  InfoKind kind;
  uintptr_t number;
  const char* text;
  char scratch[kInfoScratchSize];
};

// The value and kind of `info_type`; `handle_in` is what the caller's
// buffer held (SQL_DRIVER_HSTMT answers with it). SQL_SUCCESS or
// SQL_SUCCESS_WITH_INFO, else the error (posted).
SQLRETURN DrvGetInfo(DrvConn* connection, uint16_t info_type, uintptr_t handle_in,
                     InfoValue* value);
