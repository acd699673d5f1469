// The records of the two procedures the client tools call on a connection
// without a login: the list of servers (kRpcGetServerList) and the list of
// data sources a server offers (kRpcGetDataSources). Every encode and decode
// returns 1, or 0 with the reason in the thread's last error
// (wire/msg_buf.h).
#pragma once

#include <cstdint>
#include <string>

#include "wire/calls.h"
#include "wire/msg_buf.h"

// The request of both: the client's own description and the room its
// buffer has, in bytes.
struct ServerListRequest {
  WireText client;
  int32_t size = 0;
};
int Encode(MsgBuf* buf, const ServerListRequest& request);
int Decode(MsgBuf* buf, ServerListRequest* request);

// The servers as one text; null when the call failed or there is no room.
struct ServerListReply {
  WireText list;
};
int Encode(MsgBuf* buf, const ServerListReply& reply);
int Decode(MsgBuf* buf, ServerListReply* reply);

// The data sources as the server lays them out: i32 n, then n bytes.
struct DataSourcesReply {
  std::string bytes;
};
int Encode(MsgBuf* buf, const DataSourcesReply& reply);
// A negative count, or one beyond the bytes that came, fails with 202.
int Decode(MsgBuf* buf, DataSourcesReply* reply);
