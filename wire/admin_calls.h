// The records of the administrative procedures that list a server's users
// and end connections (the shutdown's request is in wire/calls.h). Every
// encode and decode returns 1, or 0 with the reason in the thread's last
// error (wire/msg_buf.h).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "wire/msg_buf.h"
#include "wire/pair_list.h"
#include "wire/user_list.h"

// kRpcEnumUsers has no request fields. Its reply is an array of user lists:
// the server sends one that holds every user, or the empty array when it
// refuses. Encoding sends the caller's `lists`; a decode leaves an array
// from MsgBufGetArray there, which belongs to the decoder: FreeUserLists, or
// hand it on whole (MsgBufArrayCount gives its length).
struct EnumUsersReply {
  LnaUserList* lists = nullptr;
  uint32_t count = 0;
};
int Encode(MsgBuf* buf, const EnumUsersReply& reply);
int Decode(MsgBuf* buf, EnumUsersReply* reply);
void FreeUserLists(EnumUsersReply* reply);

// kRpcKillConnections: the connections to end, each named by the first word
// of a pair (the second is not used), in an array of one pair list. No list
// sends the empty array, which the server refuses; a decode refuses more
// than one list.
struct KillConnectionsRequest {
  std::optional<std::vector<LnaPair>> connections;
};
int Encode(MsgBuf* buf, const KillConnectionsRequest& request);
int Decode(MsgBuf* buf, KillConnectionsRequest* request);
