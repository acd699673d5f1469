// A login through the client's own login stub, for tests that drive the
// server with the client's procedure stubs: everything the login hands back,
// freed with the object.
#pragma once

#include <cstdint>
#include <string>

#include "driver/lna/login.h"
#include "driver/lna/rpc_connection.h"
#include "testing/login_outputs.h"

namespace velsrv_test {

struct StubLogin : LoginOutputs {
  int16_t status = 0x7FFF;
  int32_t server_conn = 0;
  RpcConnection* conn = nullptr;
  uint16_t cancel_key = 0;

  // `servers` as a data source's ServerName gives it ("127.0.0.1.port").
  StubLogin(const std::string& servers, const std::string& conn_string) {
    status = _rpcLnaConnectMP(servers.c_str(), &server_conn, &conn, &cancel_key,
                              conn_string.c_str(), completed, sizeof completed, &extra,
                              &server_info, &info154, &info96, &types, &type_count, &table_types,
                              &table_type_count, functions, &connect_result, &info52);
  }
  ~StubLogin() { RpcConnClose(conn); }
};

}  // namespace velsrv_test
