#include "server/column_describe.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace velsrv {

namespace {

bool IsReadAsText(int16_t sql_type) {
  switch (sql_type) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_BIGINT:
      return true;
    default:
      return false;
  }
}

template <size_t N>
void CopyField(char (&field)[N], const std::string& text) {
  size_t n = std::min(text.size(), N - 1);
  std::memcpy(field, text.data(), n);
  field[n] = 0;
}

}  // namespace

LnaColumnDesc DescribeColumn(const ColumnInfo& column, const TypeTable& types) {
  LnaColumnDesc d{};
  d.display_size = column.display_size;
  d.length = column.length;
  d.precision = column.precision;
  d.sql_type = types.Map(column.sql_type, &d.precision);
  // The client sizes the buffer of a column it reads as text by its length:
  // the length must hold the text, not the bytes of a binary form (a bigint
  // is 8 bytes but up to 20 characters) nor fewer characters than the
  // backend's display size.
  if (IsReadAsText(d.sql_type))
    d.length = std::max({d.length, column.display_size, column.precision});
  d.scale = column.scale;
  // SQL_NULLABLE_UNKNOWN counts as nullable: the column may hold nulls.
  d.nullable = column.nullable != 0 ? 1 : 0;
  uint32_t bits = 0;
  if (column.nullable != 0) bits |= kColNullable;
  if (column.nullable == 0 || column.nullable == 1) bits |= kColNullabilityKnown;
  if (column.case_sensitive) bits |= kColCaseSensitive;
  switch (column.searchable) {
    case SQL_LIKE_ONLY:
      bits |= kColSearchLike;
      break;
    case SQL_ALL_EXCEPT_LIKE:
      bits |= kColSearchBasic;
      break;
    case SQL_SEARCHABLE:
      bits |= kColSearchLike | kColSearchBasic;
      break;
    default:
      break;
  }
  if (!column.is_unsigned) bits |= kColSigned;
  if (column.money) bits |= kColMoney;
  if (column.auto_increment) bits |= kColAutoIncrement;
  // Cursors are read-only: no column is updatable.
  d.attributes = static_cast<int32_t>(bits);
  CopyField(d.label, column.label.empty() ? column.name : column.label);
  CopyField(d.name, column.name);
  CopyField(d.table, column.table);
  CopyField(d.owner, column.owner);
  CopyField(d.qualifier, column.qualifier);
  return d;
}

int PutColumnDescs(MsgBuf* buf, const std::vector<LnaColumnDesc>& columns) {
  // The list only reads the descriptions it sends.
  return Encode(buf, ColumnDescList{const_cast<LnaColumnDesc*>(columns.data()),
                                    static_cast<uint16_t>(columns.size())});
}

}  // namespace velsrv
