// What replaying options set before the login leaves on the connection.
#include "driver/odbc/options/conn_options_api.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <string>
#include <vector>

#include "common/rec_array.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/options/pending_options.h"
#include "testing/conn_test_support.h"

namespace {

using States = std::vector<std::string>;

TEST(ConnOptionsTest, ReplayedOptionsKeepTheLoginsWarnings) {
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

}  // namespace
