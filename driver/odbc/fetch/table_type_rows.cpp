#include "driver/odbc/fetch/table_type_rows.h"

#include <sqlext.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "driver/odbc/convert/conv_dispatch.h"
#include "driver/odbc/core/arg_copy.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/server_types.h"
#include "driver/odbc/fetch/column_data.h"
#include "driver/odbc/fetch/local_column.h"

namespace {

constexpr uint16_t kTableTypeColumn = 4;

}  // namespace

SQLRETURN BuildTableTypeRows(DrvStmt* statement) {
  LocalColumn columns[5] = {};
  for (LocalColumn& c : columns) c.c_type = SQL_C_CHAR;
  columns[kTableTypeColumn - 1].length = 128;
  return StoreLocalColumns(statement, columns, 5);
}

SQLRETURN GetTableTypeValue(DrvStmt* statement, uint16_t column, int16_t c_type, void* buffer,
                            SQLLEN buffer_length, SQLLEN* length) {
  if (column != kTableTypeColumn) {
    if (length != nullptr) *length = SQL_NULL_DATA;
    return SQL_SUCCESS;
  }
  const DrvConn* connection = statement->conn;
  const uint32_t row = statement->row_count;
  // Only a row the list has: a fetch that ran past the end reads nothing.
  const char* name = "";
  if (row >= 1 && row <= connection->table_type_count && connection->table_types != nullptr &&
      connection->table_types[row - 1].name != nullptr) {
    name = connection->table_types[row - 1].name;
  }
  // A name read in pieces goes on from the bytes already handed out.
  RetrievalState state;
  if (ColumnRetrieval(statement, column, &state))
    name += std::min<size_t>(*state.handed, std::strlen(name));
  const int32_t size = buffer_length > INT32_MAX ? INT32_MAX : static_cast<int32_t>(buffer_length);
  if (c_type != SQL_C_CHAR && c_type != SQL_C_DEFAULT && c_type != SQL_C_BINARY) {
    // A fixed-size target gets the name as a text value converted to it:
    // its buffer never receives more than its type holds.
    int32_t out = 0;
    int32_t result = ConvertValue(name, SQL_C_CHAR, static_cast<int32_t>(std::strlen(name)), 0,
                                  buffer, c_type, size, 0, 0, &out, 0);
    if (result != kConvOk && result != kConvTruncated) {
      PostStmtError(statement, ConvResultToMessage(result), 0, nullptr);
      return SQL_ERROR;
    }
    if (length != nullptr) *length = out;
    return result == kConvOk ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
  }
  int32_t full = 0;
  int cut = CopyOutString(static_cast<char*>(buffer), name, size, &full);
  if (length != nullptr) *length = full;
  return cut != 0 ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}
