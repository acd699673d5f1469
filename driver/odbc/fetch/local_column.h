// The result columns of the result sets the driver serves itself (the
// table-type list and the data-type list). Each is described by the C type
// its values are produced in; the statement's result-column array holds a
// ColumnDesc per column like any other result, so that the fetch path keeps
// its per-row retrieval state in the same place for every result.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvStmt;

struct LocalColumn {
  int16_t c_type;
  uint32_t length;
};

// The SQL type a local column's C type stands for.
int16_t LocalColumnSqlTypeOf(int16_t c_type);

// Gives the statement a result-column array of `count` ColumnDesc records
// made from the local columns (length, and the SQL type of the C type), the
// last stored first so that the array is made whole in one step. SQL_ERROR
// with 5136 posted when there is no memory for it (the statement is left
// without an array), else SQL_SUCCESS.
SQLRETURN StoreLocalColumns(DrvStmt* statement, const LocalColumn* columns, uint32_t count);
