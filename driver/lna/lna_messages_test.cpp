#include "driver/lna/lna_messages.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/temp_dir.h"

namespace {

std::string Text(uint32_t number) {
  char buffer[64];
  LnaMessageText(number, buffer, sizeof buffer);
  return buffer;
}

TEST(LnaMessages, RegistryPathsComeFromTheCatalogueElseFromTheRows) {
  // No catalogue loaded (a tool that never loaded one, or a test).
  EXPECT_EQ(Text(kMsgRegCliWin32Key), "\\HKEY_CURRENT_USER\\SOFTWARE\\Velto");
  EXPECT_EQ(Text(kMsgRegSvrHkcuFirewall), "Server\\6.1\\Firewall Tunneling");
  EXPECT_EQ(Text(0x80001234), "");

  TempDir dir;
  std::string file = dir.Write("lna.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<MESSAGES><S id="VEL_REG_CLI_HKCU_FIREWALL">Client\7.0\Tunnel</S></MESSAGES>
)");
  ASSERT_EQ(MsgLoadCatalog(kLnaMessages, file.c_str(), kMsgPathAsGiven, nullptr), 1);
  EXPECT_EQ(Text(kMsgRegCliHkcuFirewall), "Client\\7.0\\Tunnel");
  MsgReleaseCatalog();

  // A text longer than the buffer is cut and terminated.
  char small[8];
  LnaMessageText(kMsgRegCliWin32Key, small, sizeof small);
  EXPECT_STREQ(small, "\\HKEY_C");
}

}  // namespace
