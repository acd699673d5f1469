// The result columns of the result sets the driver serves itself (the
// table-type list and the data-type list): in place of the server's column
// descriptions, the statement's result-column array holds one of these per
// column, telling the fetch path in which C type the value is produced.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvStmt;

struct LocalColumn {
  int16_t c_type;
  uint32_t length;
  // Where the retrieval of the current row's value stands; the fetch path
  // keeps them, zero until then.
  uint32_t position[2];
  uint32_t returned_length;
};

// Gives the statement a result-column array holding `count` records, the
// last stored first so that the array is made whole in one step. SQL_ERROR
// with 5136 posted when there is no memory for it (the statement is left
// without an array), else SQL_SUCCESS.
SQLRETURN StoreLocalColumns(DrvStmt* statement, const LocalColumn* columns, uint32_t count);
