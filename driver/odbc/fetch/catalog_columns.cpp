#include "driver/odbc/fetch/catalog_columns.h"

#include <sqlext.h>

#include <climits>
#include <initializer_list>
#include <iterator>

#include "driver/odbc/core/arg_copy.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/server_types.h"
#include "driver/odbc/diag/drv_messages.h"

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

int32_t Bounded(size_t size) {
  return size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(size);
}

void CopyName(char* buffer, size_t size, const char* name) {
  CopyOutString(buffer, name, Bounded(size), static_cast<int32_t*>(nullptr));
}

}  // namespace

const CatalogColumnInfo* CatalogColumnTable(uint16_t kind, uint32_t* count) {
  if (kind < kKindTables || static_cast<size_t>(kind - kKindTables) >= std::size(kByKind))
    return nullptr;
  const KindTable& table = kByKind[kind - kKindTables];
  if (count != nullptr) *count = table.count;
  return table.columns;
}

int LookupServerTypeName(const DrvConn* connection, char* buffer, size_t size, int16_t sql_type) {
  int32_t index = 0;
  if (FindServerTypeIndex(connection, kColumnSide, sql_type, -1, 0, &index) != 0) return 0;
  CopyName(buffer, size, ServerTypeDesc(connection, index)->local_type_name);
  return 1;
}

void SubstituteTypeName(const DrvConn* connection, char* buffer, size_t size, int16_t sql_type) {
  static constexpr std::initializer_list<int16_t> kForInteger = {
      SQL_SMALLINT, SQL_TINYINT, SQL_NUMERIC, SQL_FLOAT,
      SQL_REAL,     SQL_DOUBLE,  SQL_BINARY,  SQL_LONGVARBINARY};
  static constexpr std::initializer_list<int16_t> kForSmallint = {
      SQL_INTEGER, SQL_TINYINT, SQL_NUMERIC, SQL_FLOAT,
      SQL_REAL,    SQL_DOUBLE,  SQL_BINARY,  SQL_LONGVARBINARY};
  static constexpr std::initializer_list<int16_t> kForVarchar = {SQL_CHAR, SQL_LONGVARCHAR,
                                                                 SQL_BINARY, SQL_LONGVARBINARY};
  std::initializer_list<int16_t> substitutes = {};
  if (sql_type == SQL_INTEGER) substitutes = kForInteger;
  if (sql_type == SQL_SMALLINT) substitutes = kForSmallint;
  if (sql_type == SQL_VARCHAR) substitutes = kForVarchar;
  for (int16_t substitute : substitutes) {
    if (LookupServerTypeName(connection, buffer, size, substitute) != 0) return;
  }
  char* null_text = DrvGetMessage(kMsgDrsNull);
  if (null_text == nullptr) return;
  CopyName(buffer, size, null_text);
  DrvFreeMessage(null_text);
}

void ServerTypeName(const DrvConn* connection, char* buffer, size_t size, int16_t sql_type) {
  if (LookupServerTypeName(connection, buffer, size, sql_type) == 0)
    SubstituteTypeName(connection, buffer, size, sql_type);
}
