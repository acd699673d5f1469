// What the driver reads from a statement text before sending it: how many
// parameter markers it has and whether it is a query.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvStmt;

// The number of "?" outside quoted literals.
uint32_t CountMarkers(const char* text);
uint32_t CountParamMarkers(const char* text);
// Sets the statement's marker count and its result class and kind from the
// text: a text whose first word starts with SELECT (any case) is a query.
// A text of blanks alone has no result and a row count of 0. The text is
// only read.
SQLRETURN AnalyzeStmtText(DrvStmt* statement, const char* text);
