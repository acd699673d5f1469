// The statement's description of a result set, made from the server's
// column descriptions.
#pragma once

#include <sql.h>

#include <cstdint>

struct ColumnDesc;
struct DrvStmt;
struct LnaColumnDesc;

// Replaces the statement's result pool and result columns by those of the
// `count` records. SQL_SUCCESS; SQL_ERROR (5136 posted when memory ran
// out) leaves the statement without result columns and pool.
SQLRETURN DrvBuildResultSet(DrvStmt* statement, const LnaColumnDesc* records, uint16_t count);
// One record into `column`, its texts in the statement's result pool.
// SQL_ERROR when a text finds no memory (5136 posted) or the server's type
// table lacks the column's type (nothing posted).
SQLRETURN BuildColumnDescs(DrvStmt* statement, ColumnDesc* column, const LnaColumnDesc& record);
