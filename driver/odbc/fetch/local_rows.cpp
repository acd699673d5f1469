#include "driver/odbc/fetch/local_rows.h"

#include <sqlext.h>

#include <algorithm>
#include <cstring>

#include "driver/odbc/convert/conv_dispatch.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/server_types.h"
#include "driver/odbc/fetch/column_data.h"
#include "driver/odbc/fetch/result_set.h"
#include "driver/odbc/fetch/table_type_rows.h"
#include "wire/column_desc.h"

namespace {

// Entries the server marks as not to be listed unless everything is asked.
constexpr uint32_t kTypeHidden = 0x2000 | 0x4000;

const TypeDescriptor* TypeAt(const DrvConn* connection, uint32_t index) {
  if (connection->type_descs == nullptr || index >= connection->type_count) return nullptr;
  return &connection->type_descs[index];
}

bool NextTypeRow(DrvStmt* statement) {
  const DrvConn* connection = statement->conn;
  if (statement->fetch_status == 1) {
    if (TypeAt(connection, statement->row_count) == nullptr) return false;
    ++statement->row_count;
    statement->fetch_status = 2;
    return true;
  }
  int16_t selector = statement->type_list_selector;
  const TypeDescriptor* selected = nullptr;
  if (selector != kTypeListAll && selector != kTypeListEverything) {
    selected = TypeAt(connection, static_cast<uint16_t>(selector));
    if (selected == nullptr) return false;
  }
  for (uint32_t i = statement->row_count;; ++i) {
    const TypeDescriptor* type = TypeAt(connection, i);
    if (type == nullptr) return false;
    if (selected != nullptr && type->sql_type != selected->sql_type) return false;
    if (selector != kTypeListEverything && (type->flags & kTypeHidden) != 0) continue;
    statement->row_count = i + 1;
    return true;
  }
}

struct LocalValue {
  int16_t type;  // the source type for ConvertValue; 0 for NULL
  const void* data;
  int32_t length;
  int16_t short_value;
  int32_t long_value;
};

LocalValue Null() {
  return {0, nullptr, 0, 0, 0};
}
LocalValue Text(const char* text) {
  if (text == nullptr) return Null();
  return {SQL_C_CHAR, text, static_cast<int32_t>(std::strlen(text)), 0, 0};
}
LocalValue Short(int16_t value) {
  return {SQL_C_SHORT, nullptr, 2, value, 0};
}
LocalValue Long(int32_t value) {
  return {SQL_C_LONG, nullptr, 4, 0, value};
}
LocalValue Scale(uint16_t stored) {
  auto value = static_cast<int16_t>(stored);
  return value == kNoScale ? Null() : Short(value);
}

LocalValue TypeColumn(const TypeDescriptor& type, uint16_t icol) {
  uint32_t flags = type.flags;
  switch (icol) {
    case 1:
      return Text(type.type_name != nullptr ? type.type_name : "");
    case 2:
      return Short(type.sql_type);
    case 3:
      return Long(static_cast<int32_t>(type.precision));
    case 4:
      return Text(type.literal_prefix);
    case 5:
      return Text(type.literal_suffix);
    case 6:
      return Text(type.create_params);
    case 7:
      return Short((flags & kTypeNullabilityKnown) != 0 ? (flags & kTypeNullable) : 2);
    case 8:
      return Short((flags & kTypeCaseSensitive) != 0 ? 1 : 0);
    case 9: {
      static constexpr int16_t kSearchable[] = {0, 2, 1, 3};
      return Short(kSearchable[(flags >> 3) & 3]);
    }
    case 10:
      if ((flags & kTypeUnsigned) != 0) return Short(1);
      if ((flags & kTypeSigned) != 0) return Short(0);
      return Null();
    case 11:
      return Short((flags & kTypeMoney) != 0 ? 1 : 0);
    case 12:
      if ((flags & kTypeAutoIncrement) != 0) return Short(1);
      if ((flags & kTypeNotAutoIncrement) != 0) return Short(0);
      return Null();
    case 13:
      return Text(type.local_type_name);
    case 14:
      return Scale(type.min_scale);
    case 15:
      return Scale(type.max_scale);
    default:
      return Null();
  }
}

// What of a value of `total` bytes went into the buffer; a text cut to fit
// keeps the last byte for its NUL.
int32_t HandedOut(int16_t c_type, int32_t total, int32_t buffer_length) {
  int32_t handed = std::min(total, buffer_length);
  bool fitted = total < buffer_length;
  if ((c_type == SQL_C_CHAR || c_type == SQL_C_DEFAULT) && !fitted && handed >= 1) --handed;
  return handed;
}

}  // namespace

int16_t LocalColumnSqlType(const DrvStmt* statement, uint16_t icol) {
  if (statement->result_kind == kLocalTableTypes) return SQL_VARCHAR;
  switch (icol) {
    case 1:
    case 4:
    case 5:
    case 6:
    case 13:
      return SQL_VARCHAR;
    case 3:
      return SQL_INTEGER;
    default:
      return SQL_SMALLINT;
  }
}

bool NextLocalRow(DrvStmt* statement) {
  if (statement->result_kind == kLocalTypeList) return NextTypeRow(statement);
  if (statement->row_count >= statement->conn->table_type_count) return false;
  ++statement->row_count;
  return true;
}

SQLRETURN GetLocalColumnValue(DrvStmt* statement, uint16_t icol, int16_t c_type, void* buffer,
                              int32_t buffer_length, int32_t* total, int32_t* handed) {
  RetrievalState state;
  uint32_t already = ColumnRetrieval(statement, icol, &state) ? *state.handed : 0;
  LocalValue value = Null();
  const TypeDescriptor* type =
      statement->row_count > 0 ? TypeAt(statement->conn, statement->row_count - 1) : nullptr;
  if (type != nullptr && statement->result_kind == kLocalTypeList) value = TypeColumn(*type, icol);
  *handed = 0;
  if (statement->result_kind == kLocalTableTypes) {
    SQLLEN length = 0;
    SQLRETURN code = GetTableTypeValue(statement, icol, c_type, buffer, buffer_length, &length);
    if (code == SQL_ERROR) return code;
    *total = static_cast<int32_t>(length);
    // Text and binary targets both receive the name with its NUL.
    if (length != SQL_NULL_DATA)
      *handed = HandedOut(c_type == SQL_C_BINARY ? SQL_C_CHAR : c_type, *total, buffer_length);
    return code;
  }
  if (value.type == 0) {
    if (c_type == SQL_C_CHAR && buffer != nullptr && buffer_length >= 1)
      static_cast<char*>(buffer)[0] = '\0';
    *total = SQL_NULL_DATA;
    return SQL_SUCCESS;
  }
  if (value.type == SQL_C_CHAR) {
    // A text read in pieces goes on from the bytes already handed out.
    uint32_t skip = std::min<uint32_t>(already, static_cast<uint32_t>(value.length));
    value.data = static_cast<const char*>(value.data) + skip;
    value.length -= static_cast<int32_t>(skip);
  }
  if (value.type == SQL_C_SHORT) value.data = &value.short_value;
  if (value.type == SQL_C_LONG) value.data = &value.long_value;
  if (c_type == SQL_C_DEFAULT) c_type = value.type;
  int32_t out = 0;
  int32_t result = ConvertValue(value.data, value.type, value.length, 0, buffer, c_type,
                                buffer_length, 0, 0, &out, 0);
  if (result != kConvOk && result != kConvTruncated) {
    PostStmtError(statement, ConvResultToMessage(result), 0, nullptr);
    return SQL_ERROR;
  }
  *total = out;
  *handed = HandedOut(c_type, out, buffer_length);
  return result == kConvOk ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
}
