#include "setup/config_message.h"

#include <gtest/gtest.h>

#include "setup/setup_codes.h"
#include "setup/setup_module.h"

namespace {

class ConfigMessageTest : public ::testing::Test {
 protected:
  void SetUp() override { SetupAttach(nullptr); }
  void TearDown() override { SetupDetach(); }
};

TEST_F(ConfigMessageTest, BoxesByCode) {
  struct Row {
    uint32_t code;
    const char* argument;
    const char* label;
    uint32_t range;
    std::string body;
    ConfigBoxKind kind;
  };
  const Row rows[] = {
      {kCfgInvalidNumber, nullptr, "Array Fetch Buffer Size:", 0x400001,
       "Array Fetch Buffer Size: must be a number in the range 1 - 64", ConfigBoxKind::kNotice},
      {kCfgBadServerDsn, "se[rver", nullptr, 0,
       "'se[rver'\n cannot be used as a data source name. Make sure that it \ncontains at least "
       "one non-blank character, and that it doesn't contain any of\nthe following characters: "
       "[ ] { } ( ) ? * = ! @ , ",
       ConfigBoxKind::kNotice},
      {kCfgNotFound, "hostZ", nullptr, 0,
       "Server 'hostZ' cannot be found. Do you want to continue?", ConfigBoxKind::kQuestionYesNo},
      {kCfgMatchPrimary, nullptr, nullptr, 0,
       "A duplicate server has been found in the Secondary Server list.\nIf you proceed the "
       "duplicate will be removed from the list.\nDo you want to Continue?",
       ConfigBoxKind::kWarningYesNo},
      {kCfgQueryRemove, nullptr, nullptr, 0, "Are you sure you want to remove the server?",
       ConfigBoxKind::kQuestionYesNo},
      {kCfgInvalidPort, "x", nullptr, 0, "Port must be in the range 1 - 65535.",
       ConfigBoxKind::kNotice},
      {kCfgUnknownRequest, "9", nullptr, 0,
       "Request 9 is unknown: a data source can only be added, configured or removed (requests 1 "
       "to 3 for user data sources, 4 to 6 for system ones).",
       ConfigBoxKind::kNotice},
  };
  for (const Row& row : rows) {
    ConfigMessage message = BuildConfigMessage(row.code, row.argument, row.label, row.range);
    EXPECT_EQ(message.title, "VeltoClient ODBC Configuration") << row.code;
    EXPECT_EQ(message.body, row.body) << row.code;
    EXPECT_EQ(message.kind, row.kind) << row.code;
  }
}

}  // namespace
