// The fixed column descriptions of the catalog result sets: what
// SQLDescribeCol and SQLColAttributes report for every result kind other
// than rows of a query, whatever the server described, with the server type
// names that describe their columns.
#pragma once

#include <cstddef>
#include <cstdint>

struct DrvConn;

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

// The server's name for the SQL type, else a substitute's (below), into
// `buffer` of `size` bytes, cut to fit.
void ServerTypeName(const DrvConn* connection, char* buffer, size_t size, int16_t sql_type);
// The name of the first type the server has among the stand-ins for an
// integer, small integer or varchar type; else the driver's text for NULL
// (the buffer is left as it is when even that cannot be had).
void SubstituteTypeName(const DrvConn* connection, char* buffer, size_t size, int16_t sql_type);
// 1 with the local name of the server's first type of that SQL type (empty
// when it has none), or 0 when the server has no such type.
int LookupServerTypeName(const DrvConn* connection, char* buffer, size_t size, int16_t sql_type);
