#include "driver/lna/login.h"

#include <cstring>
#include <string>
#include <vector>

#include "common/memory.h"
#include "common/tls_slot.h"
#include "driver/lna/lna_random.h"
#include "driver/lna/net_error.h"
#include "driver/lna/protocol_choice.h"
#include "driver/lna/rpc_stub.h"
#include "driver/lna/server_pick.h"
#include "wire/connect_call.h"
#include "wire/protocol.h"
#include "wire/scramble.h"

namespace {

// Opens a connection to one server of the list after another. Null when
// none can be reached.
RpcConnection* OpenFromList(const char* server_list, uint32_t wait_ms) {
  std::string list = server_list != nullptr ? server_list : "";
  std::string failed;
  char entry[kServerListMaxText + 1];
  while (PickServerFromList(list.data(), entry, sizeof entry,
                            failed.empty() ? nullptr : failed.c_str())) {
    list.resize(std::strlen(list.c_str()));
    char* protocol = ResolveServerProtocol(entry);
    RpcConnection* conn = RpcConnOpen(entry, protocol, wait_ms);
    MemFree(protocol);
    if (conn != nullptr) return conn;
    failed = entry;
  }
  // A list without a usable entry names no server at all.
  if (failed.empty()) TlsSlotSet(kNetErrHostNotFound);
  return nullptr;
}

// A copy of `items` for the caller (MemFree), at most `count` of them.
template <typename T>
bool HandOutArray(const std::vector<T>& items, uint16_t count, T** out, uint16_t* out_count) {
  *out = nullptr;
  *out_count = RpcCountOf(count, static_cast<uint32_t>(items.size()));
  if (items.empty()) return true;
  *out = static_cast<T*>(MemAlloc(items.size() * sizeof(T)));
  if (*out == nullptr) {
    TlsSlotSet(kWireErrNoMemory);
    return false;
  }
  std::memcpy(*out, items.data(), items.size() * sizeof(T));
  return true;
}

}  // namespace

size_t BuildLoginText(const char* conn_string, uint8_t* text) {
  uint32_t r = LnaRandom();
  text[0] = static_cast<uint8_t>(r);
  text[1] = static_cast<uint8_t>(r >> 8);
  size_t n = conn_string != nullptr ? strnlen(conn_string, kLoginMaxConnString) : 0;
  if (n > 0) std::memcpy(text + 2, conn_string, n);
  return n + 2;
}

int16_t _rpcLnaConnectMP(const char* server_list, int32_t* server_conn, RpcConnection** conn,
                         uint16_t* cancel_key, const char* conn_string, char* conn_out,
                         int32_t out_size, uint32_t* extra, LnaServerInfo* server_info,
                         LnaLoginInfo154* info154, LnaLoginInfo96* info96, LnaTypeInfo** types,
                         uint16_t* type_count, LnaTableType** table_types,
                         uint16_t* table_type_count, uint16_t* functions,
                         LnaConnectResult* connect_result, LnaLoginInfo52* info52,
                         uint32_t wait_ms) {
  // Every output but the connection, as a login that received nothing.
  auto clear = [&] {
    *server_conn = 0;
    *cancel_key = 0;
    if (conn_out != nullptr && out_size > 0) conn_out[0] = '\0';
    *extra = 0;
    *server_info = LnaServerInfo{};
    *info154 = LnaLoginInfo154{};
    *info96 = LnaLoginInfo96{};
    *types = nullptr;
    *type_count = 0;
    *table_types = nullptr;
    *table_type_count = 0;
    std::memset(functions, 0, kConnectFunctionFlags * sizeof(uint16_t));
    *connect_result = LnaConnectResult{};
    *info52 = LnaLoginInfo52{};
  };
  TlsSlotSet(kNetErrNone);
  *conn = nullptr;
  clear();

  *conn = OpenFromList(server_list, wait_ms);
  if (*conn == nullptr) return kReplyFailed;

  uint8_t plain[kLoginMaxText];
  size_t n = BuildLoginText(conn_string, plain);
  ConnectRequest request;
  request.text.resize(n);
  request.output_size = out_size;
  ScrambleConnString(plain, n, request.text.data());

  ConnectReply reply;
  reply.text.resize(n);
  bool unpacked = false;
  int16_t status = RpcRun(
      *conn, kRpcConnect, [&](MsgBuf* b) { return Encode(b, request); },
      [&](MsgBuf* b) {
        unpacked =
            Decode(b, &reply) && HandOutArray(reply.types, reply.type_count, types, type_count) &&
            HandOutArray(reply.table_types, reply.table_type_count, table_types, table_type_count);
        if (!unpacked) return 0;
        *server_conn = reply.connection_id;
        *cancel_key = reply.cancel_key;
        *extra = reply.extra;
        *server_info = reply.info;
        *info154 = reply.info154;
        *info96 = reply.info96;
        std::memcpy(functions, reply.functions.data(), kConnectFunctionFlags * sizeof(uint16_t));
        *connect_result = reply.result;
        *info52 = reply.info52;
        return 1;
      },
      [&] {
        unpacked = false;
        MemFree(*types);
        MemFree(*table_types);
        clear();
      });
  if (!unpacked) return status;

  uint8_t completed[kLoginMaxText];
  UnscrambleConnString(reply.text.data(), n, completed);
  if (conn_out != nullptr && out_size > 0) {
    size_t length = n - 2;
    if (length > static_cast<size_t>(out_size) - 1) length = static_cast<size_t>(out_size) - 1;
    std::memcpy(conn_out, completed + 2, length);
    conn_out[length] = '\0';
  }
  return status;
}
