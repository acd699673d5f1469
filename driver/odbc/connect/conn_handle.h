// SQLAllocConnect and SQLFreeConnect, and the connection record's
// allocation and release.
#pragma once

#include <sql.h>

#include <cstdint>

struct DrvConn;
struct DrvEnv;

// Allocates the record with its keyword table and call-layer connection and
// sets the defaults. 0, or -1 after posting 5136 on the environment (nothing
// is left allocated).
int32_t DrvAllocConnect(DrvEnv* env, DrvConn** connection);
// Frees the call-layer connection, the names the connection allocated, the
// keyword table and the record. Null is ignored.
void DrvFreeConnect(DrvConn* connection);

SQLRETURN SQLAllocConnectImpl(SQLHENV henv, SQLHDBC* phdbc);
SQLRETURN SQLFreeConnectImpl(SQLHDBC hdbc);
