// The identity and program items of the login string, and how it is kept
// within what the login carries.
#include "driver/odbc/connect/login_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(LoginStringTest, IdentityItemsFollowTheKeywords) {
  char text[kLoginStringSize] = "DSN=x;";
  ASSERT_EQ(DrvAddClientIdentity(text, sizeof text), 0);
  ASSERT_EQ(DrvAddExecDesc(text, sizeof text), 0);
  std::string s(text);
  EXPECT_EQ(s.rfind("DSN=x;;ClntHostName=", 0), 0u) << s;
  EXPECT_NE(s.find(";ClntIP="), std::string::npos) << s;
  EXPECT_NE(s.find(";ClntUserName="), std::string::npos) << s;
  // The program is this test.
  EXPECT_NE(s.find(";ExecDesc=odbc_tests;"), std::string::npos) << s;
  EXPECT_EQ(s.back(), ';');
}

TEST(LoginStringTest, ItemsThatDoNotFitAreNotAppended) {
  char text[24] = "DSN=x;";
  EXPECT_EQ(DrvAddClientIdentity(text, sizeof text), -1);
  EXPECT_EQ(DrvAddExecDesc(text, 12), -1);
  EXPECT_STREQ(text, "DSN=x;");
}

TEST(LoginStringTest, FittingDropsWholeItems) {
  struct Case {
    std::string text;
    size_t limit;
    std::string want;
  };
  const Case cases[] = {
      {"A=1;B=2;", 8, "A=1;B=2;"},
      {"A=1;B=22;", 8, "A=1;"},
      {"A=1;B=2", 6, "A=1;"},
      {"AAAA=1;", 3, ""},
      {"A=1;" + std::string(600, 'x'), 510, "A=1;"},
  };
  for (const Case& c : cases) {
    std::string buffer = c.text;
    FitLoginString(buffer.data(), c.limit);
    EXPECT_EQ(std::string(buffer.c_str()), c.want) << c.text;
  }
}

}  // namespace
