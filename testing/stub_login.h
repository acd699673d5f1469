// A login through the client's own login stub, for tests that drive the
// server with the client's procedure stubs: everything the login hands back,
// freed with the object.
#pragma once

#include <cstdint>
#include <string>

#include "common/memory.h"
#include "driver/lna/login.h"
#include "driver/lna/rpc_connection.h"

namespace velsrv_test {

struct StubLogin {
  int16_t status = 0x7FFF;
  int32_t server_conn = 0;
  RpcConnection* conn = nullptr;
  uint16_t cancel_key = 0;
  char completed[512] = {};
  uint32_t extra = 0;
  LnaServerInfo server_info{};
  LnaLoginInfo154 info154{};
  LnaLoginInfo96 info96{};
  LnaTypeInfo* types = nullptr;
  uint16_t type_count = 0;
  LnaTableType* table_types = nullptr;
  uint16_t table_type_count = 0;
  uint16_t functions[kConnectFunctionFlags] = {};
  LnaConnectResult connect_result{};
  LnaLoginInfo52 info52{};

  // `servers` as a data source's ServerName gives it ("127.0.0.1.port").
  StubLogin(const std::string& servers, const std::string& conn_string) {
    status = _rpcLnaConnectMP(servers.c_str(), &server_conn, &conn, &cancel_key,
                              conn_string.c_str(), completed, sizeof completed, &extra,
                              &server_info, &info154, &info96, &types, &type_count, &table_types,
                              &table_type_count, functions, &connect_result, &info52);
  }
  ~StubLogin() {
    MemFree(types);
    MemFree(table_types);
    RpcConnClose(conn);
  }
  StubLogin(const StubLogin&) = delete;
  StubLogin& operator=(const StubLogin&) = delete;
};

}  // namespace velsrv_test
