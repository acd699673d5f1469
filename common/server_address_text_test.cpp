#include "common/server_address_text.h"

#include <gtest/gtest.h>

TEST(ServerAddressTextTest, SplitsAtTheLastColonElseTheLastDot) {
  struct Case {
    const char* text;
    bool split;
    const char* host;
    const char* port;
  } cases[] = {
      {"127.0.0.1.1583", true, "127.0.0.1", "1583"},
      {"127.0.0.1:1583", true, "127.0.0.1", "1583"},
      {"db.example.org:velsrv", true, "db.example.org", "velsrv"},
      {"hostA.1583", true, "hostA", "1583"},
      {"host:", true, "host", ""},
      {"hostA", false, "", ""},
      {"", false, "", ""},
  };
  for (const Case& c : cases) {
    ServerAddressText out;
    EXPECT_EQ(SplitServerAddress(c.text, &out), c.split) << c.text;
    EXPECT_EQ(out.host, c.host) << c.text;
    EXPECT_EQ(out.port, c.port) << c.text;
  }
}
