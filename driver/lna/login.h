// The login (procedure 65): picks a server from the data source's list,
// opens the RPC connection, sends the scrambled connection string and
// unpacks everything the server answers about itself.
#pragma once

#include <cstddef>
#include <cstdint>

#include "driver/lna/rpc_connection.h"
#include "wire/connect_call.h"
#include "wire/login_records.h"
#include "wire/table_type.h"
#include "wire/type_info.h"

// The scrambled text is at most this long: a 2-byte random prefix and the
// connection string cut to kLoginMaxConnString characters.
constexpr size_t kLoginMaxText = 512;
constexpr size_t kLoginMaxConnString = kLoginMaxText - 2;

// The plain login text of `conn_string` into `text` (kLoginMaxText bytes):
// two bytes of a random 15-bit number, low byte first, then the string
// without its NUL. Its length.
size_t BuildLoginText(const char* conn_string, uint8_t* text);

// server_list: comma-separated "host.port" entries; a server that cannot be
// reached is dropped and another chosen until none is left (-20, no
// connection, the last transport code in the thread's last error).
//
// *conn receives the RPC connection whenever one was opened, also when the
// login then failed: the caller closes it. conn_out receives the completed
// connection string (at most out_size - 1 characters, never more than 510).
// The type and table-type arrays are allocated for the caller (MemFree) and
// their counts never exceed them. Every output is cleared first; a failed
// login hands back no arrays.
int16_t _rpcLnaConnectMP(const char* server_list, int32_t* server_conn, RpcConnection** conn,
                         uint16_t* cancel_key, const char* conn_string, char* conn_out,
                         int32_t out_size, uint32_t* extra, LnaServerInfo* server_info,
                         LnaLoginInfo154* info154, LnaLoginInfo96* info96, LnaTypeInfo** types,
                         uint16_t* type_count, LnaTableType** table_types,
                         uint16_t* table_type_count, uint16_t* functions,
                         LnaConnectResult* connect_result, LnaLoginInfo52* info52,
                         uint32_t wait_ms = kRpcDefaultWaitMs);
