#include "server/type_table.h"

#include <algorithm>

namespace velsrv {

namespace {

// SQL type codes of ODBC 2.
constexpr int16_t kChar = 1, kNumeric = 2, kDecimal = 3, kInteger = 4, kSmallint = 5, kFloat = 6,
                  kReal = 7, kDouble = 8, kDate = 9, kTime = 10, kTimestamp = 11, kVarchar = 12,
                  kLongVarchar = -1, kBinary = -2, kVarbinary = -3, kLongVarbinary = -4,
                  kBigint = -5, kTinyint = -6, kBit = -7;

struct Family {
  int16_t type;
  int16_t kin[4];  // nearest first; 0 ends the list (0 is no SQL type)
};

// Where a type goes when the table lacks it. The list of every type ends in
// text, which the client's table always holds.
constexpr Family kFamilies[] = {
    {kChar, {kVarchar, kLongVarchar}},
    {kVarchar, {kChar, kLongVarchar}},
    {kLongVarchar, {kVarchar, kChar}},
    {kBinary, {kVarbinary, kLongVarbinary}},
    {kVarbinary, {kBinary, kLongVarbinary}},
    {kLongVarbinary, {kVarbinary, kBinary}},
    {kNumeric, {kDecimal, kDouble, kFloat}},
    {kDecimal, {kNumeric, kDouble, kFloat}},
    {kBigint, {kNumeric, kDecimal, kDouble}},
    {kInteger, {kBigint, kNumeric, kDecimal}},
    {kSmallint, {kInteger, kBigint, kNumeric}},
    {kTinyint, {kSmallint, kInteger, kBigint}},
    {kBit, {kTinyint, kSmallint, kInteger}},
    {kFloat, {kDouble, kReal}},
    {kReal, {kFloat, kDouble}},
    {kDouble, {kFloat, kReal}},
    {kDate, {kTimestamp}},
    {kTime, {kTimestamp}},
    {kTimestamp, {}},
};

bool IsLengthType(int16_t sql_type) {
  switch (sql_type) {
    case kChar:
    case kVarchar:
    case kLongVarchar:
    case kBinary:
    case kVarbinary:
    case kLongVarbinary:
      return true;
    default:
      return false;
  }
}

}  // namespace

int16_t Odbc2TypeCode(int16_t sql_type) {
  switch (sql_type) {
    case 91:  // SQL_TYPE_DATE
      return kDate;
    case 92:  // SQL_TYPE_TIME
      return kTime;
    case 93:  // SQL_TYPE_TIMESTAMP
      return kTimestamp;
    case -8:  // SQL_WCHAR
      return kChar;
    case -9:  // SQL_WVARCHAR
      return kVarchar;
    case -10:  // SQL_WLONGVARCHAR
      return kLongVarchar;
    default:
      return sql_type;
  }
}

bool IsOdbc2Type(int16_t sql_type) {
  return (sql_type >= kBit && sql_type <= kLongVarchar) ||
         (sql_type >= kChar && sql_type <= kVarchar);
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
    case kVarchar:
    case kChar:
    case kInteger:
    case kSmallint:
      return true;
    default:
      return HasRow(sql_type);
  }
}

int16_t TypeTable::Map(int16_t sql_type, int32_t* precision) const {
  int16_t type = Odbc2TypeCode(sql_type);
  if (IsOdbc2Type(type) && !Has(type)) {
    int16_t found = kVarchar;
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
    type = kVarchar;
  }
  if (type == kTimestamp && precision != nullptr) {
    int32_t widest = 0;
    for (const LnaTypeInfo& r : rows_) {
      if (r.sql_type == kTimestamp) widest = std::max(widest, r.precision);
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
