// The administrative exports of the driver library: list a server's users,
// end connections, shut the server down. Each opens a connection of its own
// to the server text ("host:port" or "host.port"), makes one call and closes
// it. 0 success; -20 a local failure (no buffer, no connection, a packing or
// unpacking failure); any other value the server's own status.
#pragma once

#include <cstdint>

#include "driver/lna/lna_export.h"
#include "wire/pair_list.h"
#include "wire/user_list.h"

// *users becomes null, then the reply's array of user lists; the caller
// frees it with MsgBufFreeArray(*users, sizeof(LnaUserList),
// MsgBufRelease<XdrFreeUserList>), and MsgBufArrayCount gives its length.
// A negative status hands nothing back.
VEL_LNA_EXPORT int16_t _rpcLnaEnumUsersXP(const char* server, LnaUserList** users);
// Sends the one list element (as an array of one element).
VEL_LNA_EXPORT int16_t _rpcLnaKillConnectionsXP(const char* server, const LnaPairList* element);
VEL_LNA_EXPORT int16_t _rpcLnaShutdownXP(const char* server, uint16_t mode);
