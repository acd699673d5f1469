#include "server/backend_limits.h"

#include <algorithm>
#include <cstring>

#include "common/str_util.h"

namespace velsrv {

namespace {

// SQL type codes, ODBC 2 and the wide ones.
constexpr int16_t kChar = 1, kNumeric = 2, kDecimal = 3, kVarchar = 12, kLongVarchar = -1,
                  kBinary = -2, kVarbinary = -3, kLongVarbinary = -4, kWChar = -8, kWVarchar = -9,
                  kWLongVarchar = -10;

struct Limits {
  const char* dbms;
  int32_t text;       // char and varchar
  int32_t long_text;  // the long character types
  int32_t binary;     // every binary type
  bool add_numeric;   // NUMERIC and DECIMAL are stored but not listed
};

// PostgreSQL: a varchar(n) takes n up to 10485760, text and bytea up to 1 GB.
// SQLite: any value up to its default SQLITE_MAX_LENGTH, whatever the
// declared type says.
constexpr Limits kLimits[] = {
    {"PostgreSQL", 10485760, 1073741823, 1073741823, false},
    {"SQLite", 1000000000, 1000000000, 1000000000, true},
};

// NUMERIC and DECIMAL as SQLite takes them: any precision up to 38 digits
// written as text, stored with numeric affinity.
LnaTypeInfo NumericRow(int16_t sql_type, const char* name) {
  LnaTypeInfo t{};
  std::strncpy(t.type_name, name, sizeof t.type_name - 1);
  t.sql_type = sql_type;
  t.precision = 38;
  std::strncpy(t.create_params, "precision,scale", sizeof t.create_params - 1);
  t.nullable = 1;
  t.searchable = 3;  // SQL_SEARCHABLE
  t.unsigned_attribute = 0;
  t.minimum_scale = 0;
  t.maximum_scale = 38;
  std::strncpy(t.local_type_name, name, sizeof t.local_type_name - 1);
  return t;
}

}  // namespace

bool ApplyBackendLimits(const std::string& dbms_name, std::vector<LnaTypeInfo>* rows) {
  const Limits* limits = nullptr;
  for (const Limits& l : kLimits) {
    if (StrCaseCompare(dbms_name.c_str(), l.dbms) == 0) limits = &l;
  }
  if (limits == nullptr) return false;
  bool has_numeric = false, has_decimal = false;
  for (LnaTypeInfo& row : *rows) {
    int32_t most = 0;
    switch (row.sql_type) {
      case kChar:
      case kVarchar:
      case kWChar:
      case kWVarchar:
        most = limits->text;
        break;
      case kLongVarchar:
      case kWLongVarchar:
        most = limits->long_text;
        break;
      case kBinary:
      case kVarbinary:
      case kLongVarbinary:
        most = limits->binary;
        break;
      case kNumeric:
        has_numeric = true;
        break;
      case kDecimal:
        has_decimal = true;
        break;
      default:
        break;
    }
    row.precision = std::max(row.precision, most);
  }
  if (!limits->add_numeric) return true;
  if (!has_numeric) rows->push_back(NumericRow(kNumeric, "NUMERIC"));
  if (!has_decimal) rows->push_back(NumericRow(kDecimal, "DECIMAL"));
  return true;
}

}  // namespace velsrv
