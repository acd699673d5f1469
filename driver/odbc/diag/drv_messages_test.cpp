#include "driver/odbc/diag/drv_messages.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "common/memory.h"
#include "driver/lna/lna_messages.h"
#include "driver/odbc/core/message_ids.h"
#include "testing/test_env.h"

namespace {

class DrvMessagesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(DrvLoadMessages(), 1); }
  void TearDown() override { DrvReleaseMessages(); }

  static std::string Text(uint32_t number, int* found = nullptr) {
    char buffer[600];
    int result = DrvMessageText(number, buffer, sizeof buffer);
    if (found != nullptr) *found = result;
    return buffer;
  }
};

TEST_F(DrvMessagesTest, EveryDiagnosticRowIsThere) {
  auto diagnostic = [](uint32_t n) { return (n >= 5100 && n <= 5185) || n == 5007; };
  for (uint32_t n = 5001; n <= 5199; ++n) {
    if (n > 5009 && n < 5100) continue;
    if (n > 5185 && n < 5197) continue;
    int found = 0;
    std::string text = Text(n, &found);
    EXPECT_EQ(found, 1) << n;
    if (diagnostic(n)) {
      // Five SQLSTATE characters, then the words.
      ASSERT_GT(text.size(), 5u) << n;
      for (int i = 0; i < 5; ++i) EXPECT_TRUE(std::isalnum(text[i])) << n << ": " << text;
    }
  }
}

TEST_F(DrvMessagesTest, TheRowsOfTheOtherLayersAreIncluded) {
  struct Case {
    uint32_t number;
    const char* text;
  };
  const Case cases[] = {
      {kMsgClientIniFile, "HKEY_CURRENT_USER\\Software\\odbc\\odbc.ini"},
      {kMsgErrOutOfMemory, "S1001Memory allocation error."},
      {kMsgVendorStr, ""},
      {kMsgDrsFreeStmtFail, "Could not free all the statements associated with this connection"},
      {8106, "08S01"},
      {0x80001F41u, "[VeltoClient LNA]"},
      {kMsgRegCliWin32Key, "\\HKEY_CURRENT_USER\\SOFTWARE\\Velto"},
      {kMsgRegSvrHkcuFirewall, "Server\\6.1\\Firewall Tunneling"},
  };
  for (const Case& c : cases) EXPECT_EQ(Text(c.number), c.text) << c.number;
}

TEST_F(DrvMessagesTest, AllocatedCopies) {
  char* text = DrvGetMessage(kMsgErrDriverIncapable);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "S1C00Driver not capable.");
  DrvFreeMessage(text);
  MemFailAfter(1);
  EXPECT_EQ(DrvGetMessage(kMsgErrDriverIncapable), nullptr);
  MemFailAfter(0);
}

}  // namespace
