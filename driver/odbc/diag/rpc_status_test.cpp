// Call-layer statuses as ODBC return codes, and what replaying options
// set before the login leaves on the connection.
#include "driver/odbc/diag/rpc_status.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/rec_array.h"
#include "driver/odbc/connect/drv_conn.h"
#include "driver/odbc/diag/diag.h"
#include "driver/odbc/diag/message_ids.h"
#include "driver/odbc/diag/trace_mask.h"
#include "driver/odbc/options/conn_options_api.h"
#include "driver/odbc/options/pending_options.h"
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

TEST(RpcStatusTest, ReplayedOptionsKeepTheLoginsWarnings) {
  ConnFixture f;
  PostDbcError(f.conn(), kMsgErrInvalConstrAttr, 0, nullptr);
  f.conn()->pending_options = ArrCreate(2, sizeof(PendingOption), 0, 0);
  PendingOption option{};
  option.option = SQL_ACCESS_MODE;
  option.kind = kPendingInteger;
  option.value = SQL_MODE_READ_ONLY;
  ArrAppend(f.conn()->pending_options, &option);
  // Not logged in, the option cannot reach a server: a warning, not a loss.
  EXPECT_EQ(ReplayPendingOptions(f.conn()), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(f.conn()->pending_options, nullptr);
  States states = f.States();
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states.front(), "01S00");
}

TEST(TraceMaskTest, PasswordsNeverReachATraceLine) {
  struct Case {
    const char* text;
    const char* want;
  };
  const Case cases[] = {
      {"DSN=a;PWD=secret;UID=u", "DSN=a;PWD=******;UID=u"},
      {"pwd = ab;PWD=cd", "pwd =***;PWD=**"},
      {"DSN=a;PWDX=1", "DSN=a;PWDX=1"},
      {"PWD=", "PWD="},
      {"DSN=a;Password=secret", "DSN=a;Password=******"},
      {"DSN=a", "DSN=a"},
  };
  for (const Case& c : cases) EXPECT_EQ(MaskPasswordValue(c.text), c.want) << c.text;
  EXPECT_EQ(MaskedPassword("secret"), "******");
  EXPECT_EQ(MaskedPassword(nullptr), "NULL");
}

}  // namespace
