// Call-layer statuses as ODBC return codes.
#include "driver/odbc/core/rpc_status.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <string>
#include <vector>

#include "driver/odbc/core/drv_conn.h"
#include "testing/conn_test_support.h"

namespace {

using States = std::vector<std::string>;

TEST(RpcStatusTest, MapsEveryStatusAndNeverPassesAnUnknownOneAsSuccess) {
  struct Case {
    int16_t status;
    SQLRETURN want;
    States states;
  };
  const Case cases[] = {
      {0, SQL_SUCCESS, {}},      {1, SQL_SUCCESS_WITH_INFO, {}}, {-14, SQL_STILL_EXECUTING, {}},
      {-15, SQL_NEED_DATA, {}},  {-16, SQL_NO_DATA_FOUND, {}},   {-18, SQL_ERROR, {"S1001"}},
      {-20, SQL_ERROR, {}},  // nothing waiting in the call layer
      {2, SQL_ERROR, {"S1000"}}, {-21, SQL_ERROR, {"S1000"}},
  };
  for (const Case& c : cases) {
    ConnFixture f;
    EXPECT_EQ(DrvMapRpcStatus(f.conn(), c.status), c.want) << c.status;
    EXPECT_EQ(f.States(), c.states) << c.status;
  }
}

}  // namespace
