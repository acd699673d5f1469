// The server's data types as a connection keeps them after login: one
// descriptor per type (the server's own, then the base types the driver adds
// when the server lacks them) and a parallel array of type pairs; plus the
// lookups the statement functions make over them.
#pragma once

#include <cstdint>

struct DrvConn;

// Descriptor flags.
enum : uint32_t {
  kTypeNullable = 1,
  kTypeNullabilityKnown = 2,
  kTypeCaseSensitive = 4,
  kTypeSearchableOther = 8,  // usable with predicates other than LIKE
  kTypeSearchableLike = 16,
  kTypeUnsigned = 32,
  kTypeSigned = 64,
  kTypeMoney = 128,
  kTypeAutoIncrement = 256,
  kTypeNotAutoIncrement = 512,
};

struct TypeDescriptor {
  int16_t sql_type;
  char* type_name;  // texts live in the connection's pool; null when empty
  char* literal_prefix;
  char* literal_suffix;
  char* create_params;
  uint32_t flags;
  uint32_t column_size;
  uint16_t max_scale;
  uint32_t precision;
  char* local_type_name;
  uint16_t min_scale;
};

struct TypePair {
  uint16_t sql_type;
  uint16_t c_type;  // the default C type of sql_type
  uint16_t sql_type2;
  uint16_t c_type2;
};

// One entry of the server's table-type list.
struct TableTypeEntry {
  char* name;
  uint32_t mask;
};

// Which part of the list a lookup covers: parameters may use the base types
// the driver added, result sets describe only the server's own.
enum TypeListSide : int {
  kParameterSide = 0,
  kColumnSide = 1,
};

// True when a descriptor has the SQL type.
bool ServerHasType(const DrvConn* connection, int16_t sql_type);
// The first type pair with the SQL type: 0 and *index, or -1 when it is
// absent or the list is empty.
int32_t FindTypeInfoEntry(const DrvConn* connection, int side, int16_t sql_type, int32_t* index);
// The first descriptor with the SQL type (for SQL_TIMESTAMP one whose
// precision is at least `precision`): 0 and *index, or -1.
int32_t FindServerTypeIndex(const DrvConn* connection, int side, int16_t sql_type,
                            int32_t precision, int16_t scale, int32_t* index);
// The descriptor at `index`, null when there is none.
const TypeDescriptor* ServerTypeDesc(const DrvConn* connection, int32_t index);
// 0 with the SQL type of pair `index`; -1 when the index is negative or not
// below the count.
int32_t TypeInfoSqlType(const DrvConn* connection, int32_t index, int16_t* sql_type);
// The default C type of pair `index`, 0 when there is none.
int16_t TypeInfoDefaultCType(const DrvConn* connection, int32_t index);
