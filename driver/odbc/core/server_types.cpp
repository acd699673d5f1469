#include "driver/odbc/core/server_types.h"

#include <sqlext.h>

#include "driver/odbc/core/drv_conn.h"

namespace {

uint32_t CountFor(const DrvConn* connection, int side) {
  return side == kColumnSide ? connection->server_type_count : connection->type_count;
}

}  // namespace

bool ServerHasType(const DrvConn* connection, int16_t sql_type) {
  if (connection == nullptr || connection->type_descs == nullptr) return false;
  for (uint32_t i = 0; i < connection->type_count; ++i) {
    if (connection->type_descs[i].sql_type == sql_type) return true;
  }
  return false;
}

int32_t FindTypeInfoEntry(const DrvConn* connection, int side, int16_t sql_type, int32_t* index) {
  if (connection == nullptr || connection->type_pairs == nullptr) return -1;
  uint32_t count = CountFor(connection, side);
  for (uint32_t i = 0; i < count; ++i) {
    if (static_cast<int16_t>(connection->type_pairs[i].sql_type) == sql_type) {
      if (index != nullptr) *index = static_cast<int32_t>(i);
      return 0;
    }
  }
  return -1;
}

int32_t FindServerTypeIndex(const DrvConn* connection, int side, int16_t sql_type,
                            int32_t precision, int16_t, int32_t* index) {
  if (connection == nullptr || connection->type_descs == nullptr) return -1;
  uint32_t count = CountFor(connection, side);
  for (uint32_t i = 0; i < count; ++i) {
    const TypeDescriptor& type = connection->type_descs[i];
    if (type.sql_type != sql_type) continue;
    if (sql_type == SQL_TIMESTAMP && precision >= 0 &&
        type.precision < static_cast<uint32_t>(precision)) {
      continue;
    }
    if (index != nullptr) *index = static_cast<int32_t>(i);
    return 0;
  }
  return -1;
}

const TypeDescriptor* ServerTypeDesc(const DrvConn* connection, int32_t index) {
  if (connection == nullptr || connection->type_descs == nullptr || index < 0 ||
      static_cast<uint32_t>(index) >= connection->type_count) {
    return nullptr;
  }
  return &connection->type_descs[index];
}

int32_t TypeInfoSqlType(const DrvConn* connection, int32_t index, int16_t* sql_type) {
  if (connection == nullptr || connection->type_pairs == nullptr || index < 0 ||
      static_cast<uint32_t>(index) >= connection->type_count) {
    return -1;
  }
  if (sql_type != nullptr) *sql_type = static_cast<int16_t>(connection->type_pairs[index].sql_type);
  return 0;
}

int16_t TypeInfoDefaultCType(const DrvConn* connection, int32_t index) {
  if (connection == nullptr || connection->type_pairs == nullptr || index < 0 ||
      static_cast<uint32_t>(index) >= connection->type_count) {
    return 0;
  }
  return static_cast<int16_t>(connection->type_pairs[index].c_type);
}
