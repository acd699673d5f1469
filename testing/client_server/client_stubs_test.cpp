// The client's own procedure stubs against velsrv over loopback: what the
// driver will send is what the server parses, and every reply the server
// writes is consumed exactly by the client's unpackers.
#include <gtest/gtest.h>

#include <string>

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
#include "wire/typed_value.h"

namespace velsrv_test {
namespace {

class Server {
 public:
  Server() : backend_(velsrv::DefaultScriptedData()), listener_(ScriptedConfig(), backend_) {
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
    LnaDiagRecord records[kRpcMaxDiagnostics];
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
    LnaDiagRecord records[kRpcMaxDiagnostics];
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

}  // namespace
}  // namespace velsrv_test
