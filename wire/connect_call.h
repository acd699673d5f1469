// The login's request and reply (kRpcConnect), with one encode and one
// decode each, used by the driver's login and by velsrv's login handler.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "wire/login_records.h"
#include "wire/msg_buf.h"
#include "wire/table_type.h"
#include "wire/type_info.h"

// The longest scrambled text a server reads; a longer one is refused before
// anything is allocated for it.
constexpr int32_t kConnectMaxText = 4096;
// Supported-function flags of the reply, by ODBC function number.
constexpr size_t kConnectFunctionFlags = 100;

// The scrambled login text (a 2-byte random prefix, then the connection
// string) and the size of the client's buffer for the completed string.
struct ConnectRequest {
  std::vector<uint8_t> text;
  int32_t output_size = 0;
};
// A decode refuses a text shorter than its prefix or longer than
// kConnectMaxText.
int Encode(MsgBuf* buf, const ConnectRequest& request);
int Decode(MsgBuf* buf, ConnectRequest* request);

struct ConnectReply {
  int32_t connection_id = 0;
  uint16_t cancel_key = 0;
  // The completed connection string, scrambled, as long as the request's
  // text. The reply states the length again, but a client reads as many
  // bytes as it sent: set `text`'s size to that before a decode.
  std::vector<uint8_t> text;
  uint32_t extra = 0;
  LnaServerInfo info{};
  LnaLoginInfo154 info154{};
  LnaLoginInfo96 info96{};
  std::vector<LnaTypeInfo> types;
  std::vector<LnaTableType> table_types;
  // The counts as the sender stated them; a reader trusts at most the
  // records that came. An encode sends the sizes of the arrays.
  uint16_t type_count = 0;
  uint16_t table_type_count = 0;
  std::array<uint16_t, kConnectFunctionFlags> functions{};
  LnaConnectResult result{};
  LnaLoginInfo52 info52{};
};
int Encode(MsgBuf* buf, const ConnectReply& reply);
int Decode(MsgBuf* buf, ConnectReply* reply);
