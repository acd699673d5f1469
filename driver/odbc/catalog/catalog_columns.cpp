#include "driver/odbc/catalog/catalog_columns.h"

#include <sql.h>

#include <iterator>

namespace {

constexpr int32_t kVarchar = SQL_VARCHAR;
constexpr int32_t kShort = SQL_SMALLINT;
constexpr int32_t kLong = SQL_INTEGER;
constexpr int32_t kChar = SQL_CHAR;

constexpr CatalogColumnInfo kTables[] = {
    {"TABLE_QUALIFIER", kVarchar, 128, 1}, {"TABLE_OWNER", kVarchar, 128, 1},
    {"TABLE_NAME", kVarchar, 128, 1},      {"TABLE_TYPE", kVarchar, 128, 1},
    {"REMARKS", kVarchar, 254, 1},
};

constexpr CatalogColumnInfo kColumns[] = {
    {"TABLE_QUALIFIER", kVarchar, 128, 1},
    {"TABLE_OWNER", kVarchar, 128, 1},
    {"TABLE_NAME", kVarchar, 128, 0},
    {"COLUMN_NAME", kVarchar, 128, 0},
    {"DATA_TYPE", kShort, 2, 0},
    {"TYPE_NAME", kVarchar, 128, 0},
    {"PRECISION", kLong, 4, 1},
    {"LENGTH", kLong, 4, 1},
    {"SCALE", kShort, 2, 1},
    {"RADIX", kShort, 2, 1},
    {"NULLABLE", kShort, 2, 0},
    {"REMARKS", kVarchar, 254, 1},
};

constexpr CatalogColumnInfo kStatistics[] = {
    {"TABLE_QUALIFIER", kVarchar, 128, 1},
    {"TABLE_OWNER", kVarchar, 128, 1},
    {"TABLE_NAME", kVarchar, 128, 0},
    {"NON_UNIQUE", kShort, 2, 1},
    {"INDEX_QUALIFIER", kVarchar, 128, 1},
    {"INDEX_NAME", kVarchar, 128, 1},
    {"TYPE", kShort, 2, 0},
    {"SEQ_IN_INDEX", kShort, 2, 1},
    {"COLUMN_NAME", kVarchar, 128, 1},
    {"COLLATION", kChar, 1, 1},
    {"CARDINALITY", kLong, 4, 1},
    {"PAGES", kLong, 4, 1},
    {"FILTER_CONDITION", kVarchar, 128, 1},
};

constexpr CatalogColumnInfo kPrimaryKeys[] = {
    {"TABLE_QUALIFIER", kVarchar, 128, 1},
    {"TABLE_OWNER", kVarchar, 128, 1},
    {"TABLE_NAME", kVarchar, 128, 0},
    {"COLUMN_NAME", kVarchar, 128, 0},
    {"KEY_SEQ", kShort, 2, 0},
    {"PK_NAME", kVarchar, 128, 1},
};

constexpr CatalogColumnInfo kTypeInfo[] = {
    {"TYPE_NAME", kVarchar, 128, 0},
    {"DATA_TYPE", kShort, 2, 0},
    {"PRECISION", kLong, 4, 1},
    {"LITERAL_PREFIX", kVarchar, 128, 1},
    {"LITERAL_SUFFIX", kVarchar, 128, 1},
    {"CREATE_PARAMS", kVarchar, 128, 1},
    {"NULLABLE", kShort, 2, 0},
    {"CASE_SENSITIVE", kShort, 2, 0},
    {"SEARCHABLE", kShort, 2, 0},
    {"UNSIGNED_ATTRIBUTE", kShort, 2, 1},
    {"MONEY", kShort, 2, 0},
    {"AUTO_INCREMENT", kShort, 2, 1},
    {"LOCAL_TYPE_NAME", kVarchar, 128, 1},
    {"MINIMUM_SCALE", kLong, 4, 1},
    {"MAXIMUM_SCALE", kLong, 4, 1},
};

constexpr CatalogColumnInfo kSpecialColumns[] = {
    {"SCOPE", kShort, 2, 1},         {"COLUMN_NAME", kVarchar, 128, 0}, {"DATA_TYPE", kShort, 2, 0},
    {"TYPE_NAME", kVarchar, 128, 0}, {"PRECISION", kLong, 4, 1},        {"LENGTH", kLong, 4, 1},
    {"SCALE", kShort, 2, 1},         {"PSEUDO_COLUMN", kShort, 2, 1},
};

constexpr CatalogColumnInfo kProcedures[] = {
    {"PROCEDURE_QUALIFIER", kVarchar, 128, 1},
    {"PROCEDURE_OWNER", kVarchar, 128, 1},
    {"PROCEDURE_NAME", kVarchar, 128, 0},
    {"NUM_INPUT_PARAMS", kShort, 2, 1},
    {"NUM_OUTPUT_PARAMS", kShort, 2, 1},
    {"NUM_RESULT_SETS", kShort, 2, 1},
    {"REMARKS", kVarchar, 254, 1},
    {"PROCEDURE_TYPE", kShort, 2, 1},
};

constexpr CatalogColumnInfo kProcedureColumns[] = {
    {"PROCEDURE_QUALIFIER", kVarchar, 128, 1},
    {"PROCEDURE_OWNER", kVarchar, 128, 1},
    {"PROCEDURE_NAME", kVarchar, 128, 0},
    {"COLUMN_NAME", kVarchar, 128, 0},
    {"COLUMN_TYPE", kShort, 2, 0},
    {"DATA_TYPE", kShort, 2, 0},
    {"TYPE_NAME", kVarchar, 128, 0},
    {"PRECISION", kLong, 4, 1},
    {"LENGTH", kLong, 4, 1},
    {"SCALE", kShort, 2, 1},
    {"RADIX", kShort, 2, 1},
    {"NULLABLE", kShort, 2, 0},
    {"REMARKS", kVarchar, 254, 1},
};

constexpr CatalogColumnInfo kForeignKeys[] = {
    {"PKTABLE_QUALIFIER", kVarchar, 128, 1},
    {"PKTABLE_OWNER", kVarchar, 128, 1},
    {"PKTABLE_NAME", kVarchar, 128, 0},
    {"PKCOLUMN_NAME", kVarchar, 128, 0},
    {"FKTABLE_QUALIFIER", kVarchar, 128, 1},
    {"FKTABLE_OWNER", kVarchar, 128, 1},
    {"FKTABLE_NAME", kVarchar, 128, 0},
    {"FKCOLUMN_NAME", kVarchar, 128, 0},
    {"KEY_SEQ", kShort, 2, 0},
    {"UPDATE_RULE", kShort, 2, 1},
    {"DELETE_RULE", kShort, 2, 1},
    {"FK_NAME", kVarchar, 128, 1},
    {"PK_NAME", kVarchar, 128, 1},
};

constexpr CatalogColumnInfo kTablePrivileges[] = {
    {"TABLE_QUALIFIER", kVarchar, 128, 1}, {"TABLE_OWNER", kVarchar, 128, 1},
    {"TABLE_NAME", kVarchar, 128, 0},      {"GRANTOR", kVarchar, 128, 1},
    {"GRANTEE", kVarchar, 128, 0},         {"PRIVILEGE", kVarchar, 128, 0},
    {"IS_GRANTABLE", kVarchar, 3, 1},
};

constexpr CatalogColumnInfo kColumnPrivileges[] = {
    {"TABLE_QUALIFIER", kVarchar, 128, 1}, {"TABLE_OWNER", kVarchar, 128, 1},
    {"TABLE_NAME", kVarchar, 128, 0},      {"COLUMN_NAME", kVarchar, 128, 0},
    {"GRANTOR", kVarchar, 128, 1},         {"GRANTEE", kVarchar, 128, 0},
    {"PRIVILEGE", kVarchar, 128, 0},       {"IS_GRANTABLE", kVarchar, 3, 1},
};

struct KindTable {
  const CatalogColumnInfo* columns;
  uint32_t count;
};

template <size_t N>
constexpr KindTable Of(const CatalogColumnInfo (&columns)[N]) {
  return {columns, static_cast<uint32_t>(N)};
}

// By kind, from kind 2.
constexpr KindTable kByKind[] = {
    Of(kTables),          Of(kTables),           Of(kTables),           Of(kTables),
    Of(kColumns),         Of(kStatistics),       Of(kPrimaryKeys),      Of(kTypeInfo),
    Of(kSpecialColumns),  Of(kProcedures),       Of(kProcedureColumns), Of(kForeignKeys),
    Of(kTablePrivileges), Of(kColumnPrivileges),
};

}  // namespace

const CatalogColumnInfo* CatalogColumnTable(uint16_t kind, uint32_t* count) {
  if (kind < kKindTables || static_cast<size_t>(kind - kKindTables) >= std::size(kByKind))
    return nullptr;
  const KindTable& table = kByKind[kind - kKindTables];
  if (count != nullptr) *count = table.count;
  return table.columns;
}
