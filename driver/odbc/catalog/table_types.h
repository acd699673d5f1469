// The table types a connection's server announced at login: the bit mask
// a table-type list of SQLTables stands for (the local result set that lists
// them is table_type_rows.h).
#pragma once

#include <cstdint>

struct DrvConn;

// The mask of the known names of a comma-separated list (names may be in
// single quotes): 0 with *mask, or -1 when the list names no known type. A
// null list is mask 0.
int32_t ParseTableTypes(const DrvConn* connection, const char* list, uint32_t* mask);
// The bit of the first table type named `name` (case ignored): 0 with *bit,
// or -1.
int32_t LookupTableType(const DrvConn* connection, const char* name, uint32_t* bit);
