#include "driver/lna/login.h"

#include <cstring>
#include <string>

#include "common/memory.h"
#include "common/tls_slot.h"
#include "driver/lna/lna_random.h"
#include "driver/lna/net_error.h"
#include "driver/lna/protocol_choice.h"
#include "driver/lna/reply_parts.h"
#include "driver/lna/rpc_stub.h"
#include "driver/lna/server_pick.h"
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
    std::memset(functions, 0, kLoginFunctionFlags * sizeof(uint16_t));
    *connect_result = LnaConnectResult{};
    *info52 = LnaLoginInfo52{};
  };
  TlsSlotSet(kNetErrNone);
  *conn = nullptr;
  clear();

  *conn = OpenFromList(server_list, wait_ms);
  if (*conn == nullptr) return kRpcFailed;

  uint8_t plain[kLoginMaxText], scrambled[kLoginMaxText], echoed[kLoginMaxText];
  size_t n = BuildLoginText(conn_string, plain);
  ScrambleConnString(plain, n, scrambled);

  bool unpacked = false;
  int16_t status = RpcRun(
      *conn, kRpcConnect,
      [&](MsgBuf* b) {
        return MsgBufPutI32(b, static_cast<int32_t>(n)) &&
               MsgBufPutBytes(b, scrambled, static_cast<uint32_t>(n)) && MsgBufPutI32(b, out_size);
      },
      [&](MsgBuf* b) {
        int32_t echoed_length;  // the request's length again; the n bytes are what count
        unpacked =
            MsgBufGetI32(b, server_conn) && MsgBufGetU16(b, cancel_key) &&
            MsgBufGetI32(b, &echoed_length) &&
            MsgBufGetBytes(b, echoed, static_cast<uint32_t>(n)) && MsgBufGetU32(b, extra) &&
            XdrServerInfo(b, server_info) && XdrLoginInfo154(b, info154) &&
            XdrLoginInfo96(b, info96) &&
            ReadCountedArray(b, types, type_count, MsgBufGetElem<XdrTypeInfo>) &&
            ReadCountedArray(b, table_types, table_type_count, MsgBufGetElem<XdrTableType>) &&
            MsgBufEachElem(b, static_cast<void*>(functions), MsgBufGetElem<MsgBufGetU16>,
                           sizeof(uint16_t), kLoginFunctionFlags) &&
            XdrConnectResult(b, connect_result) && XdrLoginInfo52(b, info52);
        return unpacked;
      },
      [&] {
        unpacked = false;
        MemFree(*types);
        MemFree(*table_types);
        clear();
      });
  if (!unpacked) return status;

  uint8_t completed[kLoginMaxText];
  UnscrambleConnString(echoed, n, completed);
  if (conn_out != nullptr && out_size > 0) {
    size_t length = n - 2;
    if (length > static_cast<size_t>(out_size) - 1) length = static_cast<size_t>(out_size) - 1;
    std::memcpy(conn_out, completed + 2, length);
    conn_out[length] = '\0';
  }
  return status;
}
