#include "driver/odbc/result_set.h"

#include <cstring>

#include "common/pool.h"
#include "common/rec_array.h"
#include "driver/lna/column_desc.h"
#include "driver/odbc/column_desc.h"
#include "driver/odbc/diag.h"
#include "driver/odbc/drv_stmt.h"
#include "driver/odbc/message_ids.h"
#include "driver/odbc/server_types.h"

namespace {

// The record's text, which need not be terminated within its field.
char* PoolText(int32_t pool, const char* field, size_t size) {
  size_t length = strnlen(field, size);
  auto* text = static_cast<char*>(PoolAlloc(pool, length + 1));
  if (text == nullptr) return nullptr;
  std::memcpy(text, field, length);
  text[length] = '\0';
  return text;
}

SQLRETURN Abandon(DrvStmt* statement) {
  ArrDestroy(statement->columns);
  statement->columns = nullptr;
  if (statement->result_pool != 0) PoolDestroy(statement->result_pool);
  statement->result_pool = 0;
  return SQL_ERROR;
}

}  // namespace

SQLRETURN BuildColumnDescs(DrvStmt* statement, ColumnDesc* column, const LnaColumnDesc& record) {
  column->display_size = static_cast<uint32_t>(record.display_size);
  column->length = static_cast<uint32_t>(record.length);
  column->precision = static_cast<uint32_t>(record.precision);
  column->scale = record.scale;
  column->sql_type = static_cast<uint16_t>(record.sql_type);
  int32_t index = 0;
  if (FindServerTypeIndex(statement->conn, kColumnSide, record.sql_type, record.precision,
                          record.scale, &index) != 0) {
    return SQL_ERROR;
  }
  column->type_index = static_cast<int16_t>(index);
  const int32_t pool = statement->result_pool;
  column->label = PoolText(pool, record.label, sizeof record.label);
  column->name = PoolText(pool, record.name, sizeof record.name);
  column->table = PoolText(pool, record.table, sizeof record.table);
  column->owner = PoolText(pool, record.owner, sizeof record.owner);
  column->qualifier = PoolText(pool, record.qualifier, sizeof record.qualifier);
  if (column->label == nullptr || column->name == nullptr || column->table == nullptr ||
      column->owner == nullptr || column->qualifier == nullptr) {
    PostStmtError(statement, kMsgErrOutOfMemory, 0, nullptr);
    return SQL_ERROR;
  }
  column->attributes = static_cast<uint32_t>(record.attributes) | kColNullabilityKnown;
  if (record.nullable != 0) column->attributes |= kColNullable;
  return SQL_SUCCESS;
}

SQLRETURN DrvBuildResultSet(DrvStmt* statement, const LnaColumnDesc* records, uint16_t count) {
  if (statement->result_pool != 0) PoolDestroy(statement->result_pool);
  statement->result_pool = 0;
  ArrDestroy(statement->columns);
  statement->columns = nullptr;
  const int32_t pool = PoolCreate();
  RecArray* columns = ArrCreate(count > 0 ? count : 1, sizeof(ColumnDesc), 0, 0);
  statement->result_pool = pool > 0 ? pool : 0;
  statement->columns = columns;
  if (pool <= 0 || columns == nullptr) {
    PostStmtError(statement, kMsgErrOutOfMemory, 0, nullptr);
    return Abandon(statement);
  }
  statement->long_column = 0;
  for (uint16_t i = 0; i < count; ++i) {
    ColumnDesc column{};
    if (BuildColumnDescs(statement, &column, records[i]) != SQL_SUCCESS) return Abandon(statement);
    if (ArrSetAt(columns, &column, i) != kArrOk) {
      PostStmtError(statement, kMsgErrOutOfMemory, 0, nullptr);
      return Abandon(statement);
    }
  }
  return SQL_SUCCESS;
}
