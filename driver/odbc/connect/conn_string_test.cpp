// Connection strings into the keyword table and back out.
#include "driver/odbc/connect/conn_string.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <string>
#include <vector>

#include "driver/odbc/core/conn_keyword.h"
#include "driver/odbc/core/drv_conn.h"
#include "testing/conn_test_support.h"

namespace {

using States = std::vector<std::string>;

struct ParseCase {
  std::string text;
  int32_t result;
  States states;
  std::vector<std::pair<const char*, std::string>> values;
};

TEST(ConnAttributesTest, ParsesIntoTheKeywordTable) {
  const std::string v512(512, 'v');
  const ParseCase cases[] = {
      {"", 0, {}, {{"DSN", "<unset>"}}},
      {"dsn=A;DSN=B", 0, {}, {{"DSN", "A"}}},
      {"DRIVER=x;DSN=A", 0, {}, {{"DRIVER", "x"}, {"DSN", "<unset>"}}},
      {"DSN=A;DRIVER=x", 0, {}, {{"DSN", "A"}, {"DRIVER", "<unset>"}}},
      {"Foo=1;DSN=A", 1, {"01S00"}, {{"DSN", "A"}}},
      {"uid = ann ;pwd=se cret", 0, {}, {{"UID", "ann "}, {"PWD", "se cret"}}},
      // The call layer's wait is a keyword of its own: no warning, and it
      // reaches the login string.
      {"DSN=A;logintimeout=3", 0, {}, {{"LoginTimeout", "3"}}},
      {"UID=" + v512, 0, {}, {{"UID", v512}}},
      {"UID=" + v512 + "w", -1, {"08004"}, {{"UID", "<unset>"}}},
      // A string that does not split stores nothing.
      {"UID=a;b", -1, {"08004"}, {{"UID", "<unset>"}}},
      {"UID=a;b c=1", -1, {"08004"}, {{"UID", "<unset>"}}},
      {"DSN=a!b", -1, {"08004"}, {{"DSN", "<unset>"}}},
      {"UID=a!b;ServerName=h.1", 0, {}, {{"UID", "a!b"}, {"ServerName", "h.1"}}},
      // A value stays after a later pair fails.
      {"ServerDSN=s;DSN=(x)", -1, {"08004"}, {{"ServerDSN", "s"}, {"DSN", "<unset>"}}},
  };
  for (const ParseCase& c : cases) {
    ConnFixture f;
    EXPECT_EQ(ParseConnectAttributes(f.conn(), c.text.c_str()), c.result) << c.text;
    EXPECT_EQ(f.States(), c.states) << c.text;
    for (const auto& [name, value] : c.values) EXPECT_EQ(f.Value(name), value) << c.text;
  }
}

TEST(ConnAttributesTest, ForbiddenCharactersDependOnTheKeyword) {
  struct Case {
    const char* keyword;
    const char* value;
    int needs;
  };
  const Case cases[] = {
      {"DSN", "plain name", 0}, {"dsn", "a@b", 1}, {"DSN", "a[b", 1}, {"DSN", "a}b", 1},
      {"DSN", "a,b", 1},        {"DSN", "a*b", 1}, {"DSN", "a?b", 0}, {"UID", "a!b@c", 0},
      {"UID", "a;b", 1},        {"PWD", "a=b", 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ValueNeedsBraces(c.keyword, c.value), c.needs) << c.keyword << " " << c.value;
}

TEST(ConnAttributesTest, BuildsTheSetKeywordsInTableOrder) {
  ConnFixture f;
  ASSERT_EQ(ParseConnectAttributes(f.conn(), "PWD=p;DSN=d;ServerName=h.1"), 0);
  char out[64];
  int32_t length = 0;
  EXPECT_EQ(BuildConnectString(f.conn(), out, sizeof out, &length, 0), 0);
  EXPECT_STREQ(out, "DSN=d;ServerName=h.1;PWD=p;");
  EXPECT_EQ(length, 27);
  {
    ConnFixture timed;
    ASSERT_EQ(ParseConnectAttributes(timed.conn(), "LoginTimeout=3;DSN=d"), 0);
    EXPECT_EQ(BuildConnectString(timed.conn(), out, sizeof out, &length, 0), 0);
    EXPECT_STREQ(out, "DSN=d;LoginTimeout=3;");
  }

  char small[8];
  EXPECT_EQ(BuildConnectString(f.conn(), small, sizeof small, &length, 0), 1);
  EXPECT_STREQ(small, "DSN=d;S");
  EXPECT_EQ(length, 27);
  EXPECT_EQ(f.States(), States{"01004"});
}

TEST(ConnAttributesTest, BrowseListsWhatIsMissing) {
  ConnFixture f;
  ASSERT_EQ(ParseConnectAttributes(f.conn(), "DSN=x"), 0);
  char out[512];
  int32_t length = 0;
  EXPECT_EQ(BrowseBuildOutput(f.conn(), out, sizeof out, &length), 99);
  EXPECT_STREQ(out,
               "ServerName:Server Name=?;*ServerDSN:Server DSN=?;*UID:User Name=?;*PWD:Password=?;"
               "*ArrayFetchOn:Enable Array Fetch=?;*ArrayBufferSize:Array Fetch Buffer Size=?;"
               "*AsyncEnable:Async Enabled=?;*DMAccess=?;");

  ASSERT_EQ(ParseConnectAttributes(f.conn(), "ServerName=h.1"), 0);
  EXPECT_EQ(BrowseBuildOutput(f.conn(), out, sizeof out, &length), 0);
  EXPECT_STREQ(out, "");

  ConnFixture empty;
  EXPECT_EQ(BrowseBuildOutput(empty.conn(), out, sizeof out, &length), 99);
  EXPECT_EQ(std::string(out).rfind("DSN=?;DRIVER=?;ServerName:", 0), 0u) << out;
}

}  // namespace
