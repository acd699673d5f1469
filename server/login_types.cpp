#include "server/login_types.h"

#include "server/type_table.h"

namespace velsrv {

namespace {

constexpr int kReads = 3;

struct BaseType {
  int16_t sql_type;
  const char* name;
};
constexpr BaseType kBaseTypes[] = {{1, "CHAR"}, {12, "VARCHAR"}, {4, "INTEGER"}};

}  // namespace

std::string MissingBaseTypes(const std::vector<LnaTypeInfo>& rows) {
  std::string missing;
  for (const BaseType& base : kBaseTypes) {
    bool found = false;
    for (const LnaTypeInfo& row : rows)
      found = found || Odbc2TypeCode(row.sql_type) == base.sql_type;
    if (!found) missing += (missing.empty() ? "" : ", ") + std::string(base.name);
  }
  return missing;
}

bool ReadLoginTypes(BackendConnection& backend, std::vector<LnaTypeInfo>* rows,
                    std::string* missing) {
  for (int i = 0; i < kReads; ++i) {
    DiagList ignored;  // what the backend cannot tell is announced empty
    backend.TypeInfo(rows, &ignored);
    *missing = MissingBaseTypes(*rows);
    // Type 0 is no SQL type: the row stands where another type belonged.
    bool garbled = false;
    for (const LnaTypeInfo& row : *rows) garbled = garbled || row.sql_type == 0;
    if (missing->empty() && (!garbled || i == kReads - 1)) return true;
  }
  return false;
}

}  // namespace velsrv
