// Who may log in: data sources whose connection string holds the backend's
// credentials check the client against a users list (whose password never
// reaches the backend); others hand the client's UID and PWD to the
// backend. Logins whose type information lacks the base types are read
// again, then refused. Every login and refusal leaves a log line.
#include <gtest/gtest.h>

#include <mutex>
#include <set>

#include "server/log.h"
#include "server/users.h"
#include "testing/dispatch_harness.h"
#include "testing/log_capture.h"
#include "testing/temp_dir.h"

namespace velsrv_test {
namespace {

std::string Login(const std::string& dsn, const char* uid, const char* pwd) {
  std::string s = "DSN=x;ServerName=127.0.0.1;ServerDSN=" + dsn + ";";
  if (uid != nullptr) s += std::string("UID=") + uid + ";";
  if (pwd != nullptr) s += std::string("PWD=") + pwd + ";";
  return s + "ClntUserName=ann;ClntHostName=pc7;ClntIP=127.0.0.1;ExecDesc=test;";
}

TEST(UserListTest, HashesVerifyAndBadListsAreRefused) {
  std::string hash, error;
  ASSERT_TRUE(velsrv::HashPassword("s3cret", &hash, &error)) << error;
  std::string again;
  ASSERT_TRUE(velsrv::HashPassword("s3cret", &again, &error));
  EXPECT_NE(hash, again);  // salted
  velsrv::UserList list;
  ASSERT_TRUE(list.Parse("# who may log in\nann:" + hash + "\n\nbob : " + again + "\n", &error))
      << error;
  EXPECT_EQ(list.size(), 2u);
  EXPECT_TRUE(list.Verify("ann", "s3cret"));
  EXPECT_TRUE(list.Verify("bob", "s3cret"));
  EXPECT_FALSE(list.Verify("ann", "s3cre"));
  EXPECT_FALSE(list.Verify("ann", ""));
  EXPECT_FALSE(list.Verify("Ann", "s3cret"));
  EXPECT_FALSE(list.Verify("carl", "s3cret"));

  struct Case {
    std::string text;
    const char* message_part;
  } bad[] = {
      {"ann\n", "line 1: a user reads name:hash"},
      {"ann:\n", "name:hash"},
      {"ann:plaintext\n", "not one crypt(3) can check"},
      {"ann:$zz$nonsense\n", "not one crypt(3) can check"},
      {"ann:" + hash + "\nann:" + again + "\n", "line 2: user ann twice"},
  };
  for (const Case& c : bad) {
    velsrv::UserList l;
    EXPECT_FALSE(l.Parse(c.text, &error)) << c.text;
    EXPECT_NE(error.find(c.message_part), std::string::npos) << error;
  }
  EXPECT_FALSE(list.Load("/nonexistent/users", &error));
}

TEST(UserListTest, AReadAgainChecksOnlyTheHashesItHasNotCheckedBefore) {
  std::string hash, error;
  ASSERT_TRUE(velsrv::HashPassword("s3cret", &hash, &error)) << error;
  velsrv::UserList before;
  ASSERT_TRUE(before.Parse("ann:" + hash + "\n", &error)) << error;
  std::set<std::string> checked;
  before.AddCheckedHashes(&checked);
  EXPECT_EQ(checked, std::set<std::string>{hash});
  // A stand-in that crypt(3) could not check shows which entries are
  // checked: only one it has not met before.
  checked.insert("$zz$known");
  struct Case {
    std::string text;
    bool ok;
  } cases[] = {
      {"ann:" + hash + "\n", true},
      {"ann:$zz$known\n", true},
      {"ann:" + hash + "\nbob:$zz$new\n", false},
  };
  for (const Case& c : cases) {
    velsrv::UserList again;
    EXPECT_EQ(again.Parse(c.text, &error, &checked), c.ok) << c.text;
  }
  velsrv::UserList again;
  ASSERT_TRUE(again.Parse("ann:" + hash + "\n", &error, &checked));
  EXPECT_TRUE(again.Verify("ann", "s3cret"));
}

TEST(LoginRuleTest, CredentialsHeldByTheServerNeedTheUsersList) {
  TempDir dir;
  std::string hash, error;
  ASSERT_TRUE(velsrv::HashPassword("s3cret", &hash, &error)) << error;
  std::string users = dir.Write("users", "ann:" + hash + "\n");
  velsrv::ServerConfig config = ScriptedConfig();
  config.dsns = {
      {"open", "no credentials", "DSN=scripted"},
      {"held", "the server's credentials", "DSN=scripted;UID=svc;PWD=hidden", users},
      {"bare", "credentials, no list", "DSN=scripted;Username=svc"},
      {"guarded", "a list by choice", "DSN=scripted", users, velsrv::LoginCheck::kUsers},
      {"trusting", "credentials, the backend decides", "DSN=scripted;UID=svc", users,
       velsrv::LoginCheck::kBackend},
  };
  velsrv::ScriptedData data = velsrv::DefaultScriptedData();
  data.passwords.clear();  // the backend takes anyone: the list decides
  LogCapture log;
  Harness h(data, config);

  struct Case {
    const char* dsn;
    const char* uid;
    const char* pwd;
    bool accepted;
    const char* backend_connect;  // what the backend was given, when accepted
  } cases[] = {
      {"open", "scott", "tiger", true, "DSN=scripted;UID=scott;PWD=tiger"},
      {"open", nullptr, nullptr, true, "DSN=scripted"},
      {"held", "ann", "s3cret", true, "DSN=scripted;UID=svc;PWD=hidden"},
      {"held", "ann", "wrong", false, nullptr},
      {"held", "ann", nullptr, false, nullptr},
      {"held", nullptr, nullptr, false, nullptr},
      {"held", "svc", "hidden", false, nullptr},
      {"HELD", "ann", "s3cret", true, "DSN=scripted;UID=svc;PWD=hidden"},
      {"bare", "ann", "s3cret", false, nullptr},
      {"guarded", "ann", "s3cret", true, "DSN=scripted"},
      {"guarded", "scott", "tiger", false, nullptr},
      {"trusting", "scott", "tiger", true, "DSN=scripted;UID=svc;UID=scott;PWD=tiger"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.dsn) + " " + (c.uid ? c.uid : "-") + "/" + (c.pwd ? c.pwd : "-"));
    auto s = h.NewSession();
    int connects = h.backend().Log().connects;
    int16_t status;
    LoginResult r = h.Login(*s, Login(c.dsn, c.uid, c.pwd), &status);
    if (c.accepted) {
      EXPECT_EQ(status, 0);
      EXPECT_EQ(h.backend().Log().last_connect, c.backend_connect);
    } else {
      EXPECT_EQ(status, -20);
      EXPECT_EQ(h.backend().Log().connects, connects);  // the backend never saw it
      std::vector<LnaDiagRecord> diags = h.Errors(*s, r.connection_id, 0);
      ASSERT_EQ(diags.size(), 1u);
      EXPECT_STREQ(diags[0].sqlstate, "28000");
    }
  }
  EXPECT_TRUE(log.Has("info: login from : user \"ann\", data source \"held\""));
  EXPECT_TRUE(
      log.Has("warning: login refused from : user \"ann\", data source \"held\": unknown "
              "user or wrong password"));
  EXPECT_TRUE(log.Has("data source \"bare\": the data source has no users list"));
  EXPECT_TRUE(log.Has("warning: data source bare checks logins against a users list but has none"));
}

TEST(LoginRuleTest, AMissingUsersListStopsTheStart) {
  velsrv::ServerConfig config = ScriptedConfig();
  config.users = "/nonexistent/velsrv.users";
  Harness h(velsrv::DefaultScriptedData(), config);
  EXPECT_NE(h.context().load_error().find("/nonexistent/velsrv.users: cannot be read"),
            std::string::npos);
}

TEST(LoginRuleTest, TypeInformationWithoutTheBaseTypesIsReadAgainThenRefused) {
  struct Case {
    int garbled;
    int16_t status;
    int reads;
  } cases[] = {{0, 0, 1}, {1, 0, 2}, {2, 0, 3}, {3, -20, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.garbled);
    velsrv::ScriptedData data = velsrv::DefaultScriptedData();
    data.garbled_type_answers = c.garbled;
    LogCapture log;
    Harness h(data);
    auto s = h.NewSession();
    int16_t status;
    LoginResult r = h.Login(*s, SalesLogin(), &status);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(h.backend().Log().type_info_calls, c.reads);
    if (c.status == 0) {
      bool has_varchar = false;
      for (const LnaTypeInfo& t : r.types) has_varchar = has_varchar || t.sql_type == 12;
      EXPECT_TRUE(has_varchar);
    } else {
      std::vector<LnaDiagRecord> diags = h.Errors(*s, r.connection_id, 0);
      ASSERT_EQ(diags.size(), 1u);
      EXPECT_STREQ(diags[0].sqlstate, "08004");
      EXPECT_TRUE(log.Has("error: data source \"sales\" answers type information without VARCHAR"));
      // The failed login holds no backend connection.
      EXPECT_EQ(h.backend().Log().open_connections, 0);
    }
  }
}

}  // namespace
}  // namespace velsrv_test
