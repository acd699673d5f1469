#include "server/conn_string.h"

#include <gtest/gtest.h>

#include "common/pool.h"

namespace velsrv {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

class ConnStringTest : public ::testing::Test {
 protected:
  void SetUp() override { PoolTableInit(); }
  void TearDown() override { PoolTableTerm(); }
};

TEST_F(ConnStringTest, SplitsWithTheClientsRules) {
  struct Case {
    const char* text;
    bool ok;
    Pairs pairs;  // what was read, also before a fault
  } cases[] = {
      {"A=1; B = two ;C=", true, {{"A", "1"}, {"B", "two "}, {"C", ""}}},
      {"DSN=x;ServerDSN=sales;", true, {{"DSN", "x"}, {"ServerDSN", "sales"}}},
      {"", true, {}},
      {"A", false, {}},
      {"A 1", false, {}},
      {"UID=a;b", false, {{"UID", "a"}}},
      {"UID=a;b c=1", false, {{"UID", "a"}}},
      {"=1", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ConnString cs;
    EXPECT_EQ(cs.Parse(c.text), c.ok);
    EXPECT_EQ(cs.pairs(), c.pairs);
  }
}

TEST_F(ConnStringTest, KeysCompareWithoutCaseAndTheFirstWins) {
  ConnString cs;
  ASSERT_TRUE(cs.Parse("serverdsn=first;ServerDSN=second;UID=;"));
  EXPECT_EQ(cs.Get("ServerDSN"), std::optional<std::string>("first"));
  EXPECT_EQ(cs.Get("uid"), std::optional<std::string>(""));
  EXPECT_EQ(cs.Get("PWD"), std::nullopt);
  EXPECT_EQ(cs.Get("ServerDS"), std::nullopt);
}

}  // namespace
}  // namespace velsrv
