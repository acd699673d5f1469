// The client's own procedure stubs against velsrv over loopback: what the
// driver will send is what the server parses, and every reply the server
// writes is consumed exactly by the client's unpackers.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "common/memory.h"
#include "common/tls_slot.h"
#include "driver/lna/catalog_stubs.h"
#include "driver/lna/conn_stubs.h"
#include "driver/lna/login.h"
#include "driver/lna/option_stubs.h"
#include "driver/lna/rpc_connection.h"
#include "driver/lna/server_list_exports.h"
#include "driver/lna/stmt_stubs.h"
#include "server/listener.h"
#include "testing/dispatch_harness.h"
#include "testing/scripted_backend.h"
#include "testing/stub_login.h"
#include "wire/protocol.h"
#include "wire/row_block.h"
#include "wire/typed_value.h"

namespace velsrv_test {
namespace {

class Server {
 public:
  explicit Server(const velsrv::ScriptedData& data = velsrv::DefaultScriptedData())
      : backend_(data), listener_(ScriptedConfig(), backend_) {
    std::string error;
    EXPECT_TRUE(listener_.Open(&error)) << error;
    listener_.Start();
  }
  ~Server() { listener_.Stop(); }
  std::string address() const { return "127.0.0.1." + std::to_string(listener_.port()); }

 private:
  velsrv::ScriptedBackend backend_;
  velsrv::Listener listener_;
};

using Login = StubLogin;

TEST(ClientStubsTest, LoginThenConnectionCallsThenLogout) {
  Server server;
  Login login(server.address(), SalesLogin("scott", "tiger"));
  ASSERT_EQ(login.status, 0) << "last error " << TlsSlotGet();
  ASSERT_NE(login.conn, nullptr);
  EXPECT_GT(login.type_count, 0);
  EXPECT_EQ(login.table_type_count, 3);
  EXPECT_STREQ(login.completed, "");  // the backend's string never travels back

  int32_t stmt = 0;
  ASSERT_EQ(_rpcLnaAllocStmtSP(&login.conn, login.server_conn, &stmt), 0);
  EXPECT_GT(stmt, 0);
  ASSERT_EQ(_rpcLnaFreeStmtSP(&login.conn, stmt, 1), 0);  // SQL_DROP

  LnaTypedValue value{};
  int32_t full_length = 0;
  ASSERT_EQ(_rpcLnaGetInfoSP(&login.conn, {login.server_conn, 17 /* SQL_DBMS_NAME */, 64}, &value,
                             &full_length),
            0);
  EXPECT_GT(full_length, 0);
  XdrFreeTypedValue(&value);

  EXPECT_EQ(_rpcLnaDisconnectSP(&login.conn, login.server_conn), 0);
  EXPECT_EQ(login.conn, nullptr);  // procedure 10 closes its connection
}

TEST(ClientStubsTest, RefusedLoginLeavesTheServersReasonForProcedure12) {
  Server server;
  struct Case {
    std::string conn_string;
    const char* sqlstate;
  };
  const Case cases[] = {
      {SalesLogin("scott", "wrong"), "28000"},
      {"DSN=x;ServerDSN=nosuch;UID=scott;PWD=tiger;", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.conn_string);
    Login login(server.address(), c.conn_string);
    EXPECT_EQ(login.status, -20);
    ASSERT_NE(login.conn, nullptr);  // handed back so the reason can be read
    LnaDiagRecord records[kGetErrorsMaxRecords];
    uint16_t count = 0;
    ASSERT_EQ(_rpcLnaGetErrorsSP(&login.conn, login.server_conn, 0, records, &count), 0);
    ASSERT_GE(count, 1);
    if (c.sqlstate != nullptr) {
      EXPECT_STREQ(records[0].sqlstate, c.sqlstate);
    }
    EXPECT_NE(records[0].text[0], '\0');
  }
}

TEST(ClientStubsTest, ListsWithoutALoginThroughTheExports) {
  Server server;
  char servers[256] = "untouched";
  ASSERT_EQ(
      _rpcServGetServerList(server.address().c_str(), "ClntHostName=pc7;", servers, sizeof servers),
      0);
  EXPECT_NE(std::string(servers).find("Port="), std::string::npos);

  uint8_t sources[4096];
  int32_t size = sizeof sources;
  ASSERT_EQ(_rpcServGetDataSources(server.address().c_str(), "", sources, &size), 0);
  EXPECT_GT(size, 0);
  EXPECT_LE(size, static_cast<int32_t>(sizeof sources));
}

// Every statement procedure answers with the full layout of its reply, also
// when it refuses; the refusal's reason waits for procedure 12.
TEST(ClientStubsTest, StatementProceduresRefuseOutOfOrderCallsWithTheirReason) {
  Server server;
  Login login(server.address(), SalesLogin("scott", "tiger"));
  ASSERT_EQ(login.status, 0);
  int32_t stmt = 0;
  ASSERT_EQ(_rpcLnaAllocStmtSP(&login.conn, login.server_conn, &stmt), 0);
  struct Case {
    const char* what;
    int16_t (*call)(RpcConnection** conn, int32_t stmt);
    int16_t status;
    const char* sqlstate;  // of the first diagnostic, when one waits
  };
  const Case cases[] = {
      {"fetch without a result",
       [](RpcConnection** c, int32_t s) {
         LnaSizedRow row{};
         const LnaFetchRequest r[] = {{kCTypeChar, 129, 0}};
         int16_t status = _rpcLnaFetchSP(c, s, 0, 1, r, &row);
         XdrFreeSizedRow(&row);
         return status;
       },
       -20, "24000"},
      {"long data without a row",
       [](RpcConnection** c, int32_t s) {
         LnaTypedValue v{};
         int32_t length = 0;
         int16_t status = _rpcLnaGetLongDataSP(c, s, 1, kCTypeChar, 100, 0, &v, &length);
         XdrFreeTypedValue(&v);
         return status;
       },
       -20, "24000"},
      {"execute without a prepare",
       [](RpcConnection** c, int32_t s) {
         LnaDescList back{};
         int32_t rows = 0;
         int16_t status = _rpcLnaExecuteMP(c, s, nullptr, nullptr, 0, &back, &rows);
         XdrFreeDescList(&back);
         return status;
       },
       -20, "S1010"},
      {"parameter data without an execution",
       [](RpcConnection** c, int32_t s) {
         int32_t result = 0;
         return _rpcLnaParamDataSP(c, s, &result);
       },
       -20, "S1010"},
      {"a piece without a parameter",
       [](RpcConnection** c, int32_t s) {
         LnaTypedValue v{};
         v.c_type = kCTypeChar;
         v.length = 0;
         return _rpcLnaPutLongDataSP(c, s, &v, 0);
       },
       -20, "S1010"},
      {"prepare on a backend without statements",
       [](RpcConnection** c, int32_t s) {
         LnaColumnDesc* cols = nullptr;
         LnaParamDesc* params = nullptr;
         uint16_t nc = 0, np = 0;
         int16_t status = _rpcLnaPrepareMP(c, s, "SELECT 1", 0, &cols, &nc, &params, &np);
         MemFree(cols);
         MemFree(params);
         return status;
       },
       -20, "S1C00"},
      {"a catalog result ends at once",
       [](RpcConnection** c, int32_t s) {
         LnaColumnDesc* cols = nullptr;
         uint16_t n = 0;
         ::CatalogRequest tables{
             .procedure = kRpcTables, .statement = s, .names = {std::nullopt, std::nullopt, "t"}};
         int16_t status = _rpcLnaCatalogSP(c, tables, &cols, &n);
         MemFree(cols);
         if (status != 0) return status;
         LnaRowBlock block{};
         std::vector<LnaFetchRequest> r(n, LnaFetchRequest{kCTypeChar, 129, 0});
         status = _rpcLnaFetchBlockSP(c, s, 0, n, r.data(), &block);
         // An empty block with the end status: the client takes its status.
         if (status == 0 && block.count == 0) status = block.status;
         XdrFreeRowBlock(&block);
         return status;
       },
       -16, nullptr},
      {"the ended result gives no more rows",
       [](RpcConnection** c, int32_t s) {
         LnaSizedRow row{};
         const LnaFetchRequest r[] = {{kCTypeChar, 129, 0}};
         int16_t status = _rpcLnaFetchSP(c, s, 0, 1, r, &row);
         XdrFreeSizedRow(&row);
         return status;
       },
       -16, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.call(&login.conn, stmt), c.status) << "last error " << TlsSlotGet();
    LnaDiagRecord records[kGetErrorsMaxRecords];
    uint16_t count = 0;
    ASSERT_EQ(_rpcLnaGetErrorsSP(&login.conn, login.server_conn, stmt, records, &count), 0);
    if (c.sqlstate != nullptr) {
      ASSERT_GE(count, 1);
      EXPECT_STREQ(records[0].sqlstate, c.sqlstate);
    } else {
      EXPECT_EQ(count, 0);
    }
  }
}

// The scripted numbers 1 to 4000 behind a server, a login there and a
// statement with them as its result (stmt 0 when that failed).
velsrv::ScriptedData Numbers() {
  velsrv::ScriptedData data = velsrv::DefaultScriptedData();
  data.numbers = 4000;
  return data;
}

// They come as integers.
const LnaFetchRequest kNumber = {kCTypeLong, 4, 0};

struct NumbersRead {
  explicit NumbersRead(const velsrv::ScriptedData& data)
      : server(data), login(server.address(), SalesLogin("scott", "tiger")) {
    if (login.status != 0 || _rpcLnaAllocStmtSP(&login.conn, login.server_conn, &stmt) != 0) {
      stmt = 0;
      return;
    }
    LnaColumnDesc* cols = nullptr;
    LnaParamDesc* params = nullptr;
    uint16_t ncols = 0, nparams = 0;
    LnaDescList back{};
    int32_t count = 0;
    int16_t status = _rpcLnaExecDirectMP(&login.conn, stmt, "SELECT numbers", nullptr, nullptr, 0,
                                         &cols, &ncols, &params, &nparams, &back, &count);
    MemFree(cols);
    MemFree(params);
    XdrFreeDescList(&back);
    if (status != 0) stmt = 0;
  }
  Server server;
  Login login;
  int32_t stmt = 0;
};

// The server builds the next block while the client decodes one. What the
// backend says of the rows of that block (a warning, a failure) waits with
// them: the client reads it only once it has asked for that block.
TEST(ClientStubsTest, WhatTheBackendSaysOfLaterRowsWaitsForTheirBlock) {
  // An 8 KB block holds 1364 integers; the row after them is read with the
  // first block, and goes with the second.
  struct Case {
    const char* what;
    int warn_from;
    int fail_at;
    // Per block: the reply's status, its rows, the first SQLSTATE after it.
    std::vector<std::tuple<int16_t, int, std::string>> blocks;
  };
  const Case cases[] = {
      {"warnings from the second block's first row",
       1365,
       0,
       {{0, 1364, ""}, {1, 1364, "01000"}, {1, 1272, "01000"}}},
      {"a failure in the row after the first block", 0, 1365, {{0, 1364, ""}, {-20, 0, "22012"}}},
      {"a failure inside the second block",
       0,
       2000,
       {{0, 1364, ""}, {0, 635, ""}, {-20, 0, "22012"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    velsrv::ScriptedData data = Numbers();
    data.warn_from = c.warn_from;
    data.fail_at = c.fail_at;
    NumbersRead read(data);
    ASSERT_NE(read.stmt, 0);
    RowBlockDecoder decoder{};
    int next = 1;
    for (const auto& [status, rows, sqlstate] : c.blocks) {
      LnaRowBlock block{};
      EXPECT_EQ(_rpcLnaFetchBlockSP(&read.login.conn, read.stmt, 0, 1, &kNumber, &block), status);
      EXPECT_EQ(block.count, rows);
      uint32_t used = 0;
      if (block.count > 0) {
        ASSERT_TRUE(DecodeRowBlock(&decoder, block.bytes, block.data_length, block.count, &used,
                                   block.status != 0));
      }
      for (uint16_t i = 0; i < block.count; ++i, ++next) {
        uint8_t b[4] = {};
        int32_t n = NextBlockValue(&decoder, b, 4);
        int v = n == 1 ? b[0] + 1 : n == 2 ? ((b[0] << 8) | b[1]) - 5536 : -1;
        ASSERT_EQ(v, next);
      }
      XdrFreeRowBlock(&block);
      // Time for the server to build the next block and meet what it meets.
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      LnaDiagRecord records[kGetErrorsMaxRecords];
      uint16_t diags = 0;
      ASSERT_EQ(
          _rpcLnaGetErrorsSP(&read.login.conn, read.login.server_conn, read.stmt, records, &diags),
          0);
      EXPECT_EQ(diags > 0 ? std::string(records[0].sqlstate) : "", sqlstate)
          << "after row " << next;
    }
    FreeRowBlock(&decoder);
  }
}

// Rows that come slowly are not read ahead for long: the client's next
// request (here its close) is answered after the row under way, not after
// the rows of a block.
TEST(ClientStubsTest, ARequestDoesNotWaitForSlowRowsReadAhead) {
  velsrv::ScriptedData data = Numbers();
  // The rows after the first block and the one read with it take 100 ms
  // each: the 64 rows between two looks for a request would take 6.4 s.
  data.slow_from = 1366;
  data.slow_ms = 100;
  NumbersRead read(data);
  ASSERT_NE(read.stmt, 0);
  LnaRowBlock block{};
  ASSERT_EQ(_rpcLnaFetchBlockSP(&read.login.conn, read.stmt, 0, 1, &kNumber, &block), 0);
  EXPECT_EQ(block.count, 1364);
  XdrFreeRowBlock(&block);
  // Let the server get well into reading ahead.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(_rpcLnaFreeStmtSP(&read.login.conn, read.stmt, 0), 0);  // SQL_CLOSE
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

}  // namespace
}  // namespace velsrv_test
