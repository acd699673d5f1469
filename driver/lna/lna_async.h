// The checks around every remote call of the call layer: one asynchronous
// call may be pending per connection, and while it is, only its statement
// may repeat it (or cancel it); everything else is refused.
#pragma once

#include <cstdint>

#include "driver/lna/lna_records.h"

// Before a call that may run asynchronously. 0 to go on (the statement has
// its server id then); otherwise the code to return. *skip (optional) is
// cleared.
int16_t _rcLnaCheckStmtAsync(LnaStatement* stmt, uint32_t procedure, uint8_t async, uint32_t* skip);
// Before a call that cannot run asynchronously: 0, or -20 while a call is
// pending or without any record.
int16_t _rcLnaCheckNoAsync(LnaConnection* conn, LnaStatement* stmt);
// After the remote call of an operation that ran _rcLnaCheckStmtAsync: the
// code to return. *skip set: the operation skips its result processing.
int16_t _rcLnaEndStmtAsync(LnaStatement* stmt, uint32_t procedure, int16_t result, uint8_t async,
                           uint32_t* skip);
