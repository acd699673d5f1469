// The fixed column descriptions of the catalog result sets: what
// SQLDescribeCol and SQLColAttributes report for every result kind other
// than rows of a query, whatever the server described.
#pragma once

#include <cstdint>

// Result kinds of a statement's result set.
enum : uint16_t {
  kKindNone = 0,
  kKindQueryRows = 1,
  kKindTables = 2,
  kKindQualifierList = 3,
  kKindOwnerList = 4,
  kKindTableTypeList = 5,  // served from the login's table types
  kKindColumns = 6,
  kKindStatistics = 7,
  kKindPrimaryKeys = 8,
  kKindTypeInfo = 9,  // served from the login's data types
  kKindSpecialColumns = 10,
  kKindProcedures = 11,
  kKindProcedureColumns = 12,
  kKindForeignKeys = 13,
  kKindTablePrivileges = 14,
  kKindColumnPrivileges = 15,
};

struct CatalogColumnInfo {
  const char* name;
  int32_t sql_type;
  uint32_t size;
  uint32_t nullable;  // 1: the column may hold NULL
};

// The table of a catalog kind (2 to 15) with its number of columns in
// *count; null for any other kind, *count unchanged.
const CatalogColumnInfo* CatalogColumnTable(uint16_t kind, uint32_t* count);
