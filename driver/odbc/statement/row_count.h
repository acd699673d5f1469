// What an execution leaves besides its result columns: the row count
// (SQLRowCount) and whether another result follows (SQLMoreResults).
#pragma once

#include <sql.h>

SQLRETURN SQLRowCountImpl(SQLHSTMT hstmt, SQLLEN* pcrow);
SQLRETURN SQLMoreResultsImpl(SQLHSTMT hstmt);
