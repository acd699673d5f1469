#include "server/type_table.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>

namespace velsrv {

namespace {

struct Family {
  int16_t type;
  int16_t kin[4];  // nearest first; 0 ends the list (0 is no SQL type)
};

// Where a type goes when the table lacks it. The list of every type ends in
// text, which the client's table always holds.
constexpr Family kFamilies[] = {
    {SQL_CHAR, {SQL_VARCHAR, SQL_LONGVARCHAR}},
    {SQL_VARCHAR, {SQL_CHAR, SQL_LONGVARCHAR}},
    {SQL_LONGVARCHAR, {SQL_VARCHAR, SQL_CHAR}},
    {SQL_BINARY, {SQL_VARBINARY, SQL_LONGVARBINARY}},
    {SQL_VARBINARY, {SQL_BINARY, SQL_LONGVARBINARY}},
    {SQL_LONGVARBINARY, {SQL_VARBINARY, SQL_BINARY}},
    {SQL_NUMERIC, {SQL_DECIMAL, SQL_DOUBLE, SQL_FLOAT}},
    {SQL_DECIMAL, {SQL_NUMERIC, SQL_DOUBLE, SQL_FLOAT}},
    {SQL_BIGINT, {SQL_NUMERIC, SQL_DECIMAL, SQL_DOUBLE}},
    {SQL_INTEGER, {SQL_BIGINT, SQL_NUMERIC, SQL_DECIMAL}},
    {SQL_SMALLINT, {SQL_INTEGER, SQL_BIGINT, SQL_NUMERIC}},
    {SQL_TINYINT, {SQL_SMALLINT, SQL_INTEGER, SQL_BIGINT}},
    {SQL_BIT, {SQL_TINYINT, SQL_SMALLINT, SQL_INTEGER}},
    {SQL_FLOAT, {SQL_DOUBLE, SQL_REAL}},
    {SQL_REAL, {SQL_FLOAT, SQL_DOUBLE}},
    {SQL_DOUBLE, {SQL_FLOAT, SQL_REAL}},
    {SQL_DATE, {SQL_TIMESTAMP}},
    {SQL_TIME, {SQL_TIMESTAMP}},
    {SQL_TIMESTAMP, {}},
};

bool IsLengthType(int16_t sql_type) {
  switch (sql_type) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      return true;
    default:
      return false;
  }
}

}  // namespace

int16_t Odbc2TypeCode(int16_t sql_type) {
  switch (sql_type) {
    case SQL_TYPE_DATE:
      return SQL_DATE;
    case SQL_TYPE_TIME:
      return SQL_TIME;
    case SQL_TYPE_TIMESTAMP:
      return SQL_TIMESTAMP;
    case SQL_WCHAR:
      return SQL_CHAR;
    case SQL_WVARCHAR:
      return SQL_VARCHAR;
    case SQL_WLONGVARCHAR:
      return SQL_LONGVARCHAR;
    default:
      return sql_type;
  }
}

bool IsOdbc2Type(int16_t sql_type) {
  return (sql_type >= SQL_BIT && sql_type <= SQL_LONGVARCHAR) ||
         (sql_type >= SQL_CHAR && sql_type <= SQL_VARCHAR);
}

void TypeTable::Build(const std::vector<LnaTypeInfo>& backend_rows) {
  rows_.clear();
  for (LnaTypeInfo row : backend_rows) {
    row.sql_type = Odbc2TypeCode(row.sql_type);
    if (IsOdbc2Type(row.sql_type)) rows_.push_back(row);
  }
  std::stable_sort(rows_.begin(), rows_.end(), [](const LnaTypeInfo& a, const LnaTypeInfo& b) {
    return a.sql_type < b.sql_type;
  });
}

bool TypeTable::HasRow(int16_t sql_type) const {
  for (const LnaTypeInfo& r : rows_) {
    if (r.sql_type == sql_type) return true;
  }
  return false;
}

bool TypeTable::Has(int16_t sql_type) const {
  switch (sql_type) {
    case SQL_VARCHAR:
    case SQL_CHAR:
    case SQL_INTEGER:
    case SQL_SMALLINT:
      return true;
    default:
      return HasRow(sql_type);
  }
}

int16_t TypeTable::Map(int16_t sql_type, int32_t* precision) const {
  int16_t type = Odbc2TypeCode(sql_type);
  if (IsOdbc2Type(type) && !Has(type)) {
    int16_t found = SQL_VARCHAR;
    for (const Family& f : kFamilies) {
      if (f.type != type) continue;
      for (int16_t kin : f.kin) {
        if (kin != 0 && Has(kin)) {
          found = kin;
          break;
        }
      }
    }
    type = found;
  } else if (!IsOdbc2Type(type)) {
    type = SQL_VARCHAR;
  }
  if (type == SQL_TIMESTAMP && precision != nullptr) {
    int32_t widest = 0;
    for (const LnaTypeInfo& r : rows_) {
      if (r.sql_type == SQL_TIMESTAMP) widest = std::max(widest, r.precision);
    }
    *precision = std::min(*precision, widest);
  }
  return type;
}

int32_t TypeTable::ParamSize(int16_t sql_type, int32_t described) const {
  if (!rows_state_limits_ || !IsLengthType(sql_type)) return described;
  int32_t size = described;
  for (const LnaTypeInfo& r : rows_) {
    if (r.sql_type == sql_type) size = std::max(size, r.precision);
  }
  return size;
}

}  // namespace velsrv
