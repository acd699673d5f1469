// The login reply: what the client keeps about its server, gathered from the
// backend connection right after it was opened.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "server/backend.h"
#include "server/info_table.h"
#include "server/type_table.h"
#include "wire/login_records.h"
#include "wire/msg_buf.h"
#include "wire/table_type.h"
#include "wire/type_info.h"

namespace velsrv {

// The array fetch buffer size a login announces (the client's own setting
// wins when it has one).
constexpr uint32_t kPacketSize = 8192;

struct LoginReply {
  int32_t connection_id = 0;
  uint16_t cancel_key = 0;
  // Length of the request's scrambled text, which the reply's completed
  // connection string has too.
  int32_t text_length = 0;
  uint32_t extra = 0;
  LnaServerInfo info{};
  LnaLoginInfo154 info154{};
  LnaLoginInfo96 info96{};
  std::vector<LnaTypeInfo> types;
  std::vector<LnaTableType> table_types;
  std::array<uint16_t, 100> functions{};
  LnaConnectResult result{};
  LnaLoginInfo52 info52{};
};

// Fills every record of the reply from the backend connection and from
// what the login gathered already.
void HarvestLogin(BackendConnection& backend, const InfoContext& context, const TypeTable& types,
                  const std::vector<std::string>& table_types,
                  const std::array<uint16_t, 100>& backend_functions, LoginReply* reply);

// The table-type records: type i gets bit i (the first 32 types).
std::vector<LnaTableType> TableTypeRecords(const std::vector<std::string>& names);

// Packs the reply. The completed connection string is sent empty (zero
// bytes behind the 2-byte prefix, scrambled): the backend's completed string
// shows paths of the server and the password.
int PutLoginReply(MsgBuf* buf, const LoginReply& reply);

}  // namespace velsrv
