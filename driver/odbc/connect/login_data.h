// What a connection keeps of a login reply: connection options, the
// statement-option defaults, the server's data types (with the base types
// the driver cannot do without) and its table types.
#pragma once

#include <cstdint>

#include "wire/login_records.h"
#include "wire/table_type.h"
#include "wire/type_info.h"

struct DrvConn;

// Copies `text` into the pool: null for an empty text. 0, or -1 with 5136
// posted.
int32_t PoolCopyString(DrvConn* connection, char** out, int32_t pool, const char* text);

// The base types (VARCHAR, CHAR, INTEGER, SMALLINT) that no record names.
uint32_t CountMissingBaseTypes(const LnaTypeInfo* types, uint32_t count);

// Option values, the array fetch buffer size, the qualifier and the
// statement-option defaults.
void StoreLoginOptions(DrvConn* connection, const LnaConnectResult& result,
                       const LnaLoginInfo52& defaults);
// Creates the connection's pool and fills the data-type and table-type
// lists from it. 0, or -1 with 5136 posted.
int32_t StoreLoginTypes(DrvConn* connection, const LnaTypeInfo* types, uint32_t type_count,
                        const LnaTableType* table_types, uint32_t table_type_count);
// Destroys the pool and forgets the lists.
void DropLoginTypes(DrvConn* connection);
