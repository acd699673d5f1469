#include "common/msg_format.h"

#include <gtest/gtest.h>

namespace {

struct FormatCase {
  const char* format;
  std::initializer_list<MsgArg> args;
  const char* expected;
};

TEST(MsgFormatChecked, FormatsOnlyTemplatesWhoseConversionsFitTheArguments) {
  const FormatCase cases[] = {
      {"%s must not contain ;", {MsgArg::Text("User ID")}, "User ID must not contain ;"},
      {"%s must be in %d - %d.",
       {MsgArg::Text("Port"), MsgArg::Number(1), MsgArg::Number(64)},
       "Port must be in 1 - 64."},
      {"range %ld to %ld hours", {MsgArg::Number(1), MsgArg::Number(744)}, "range 1 to 744 hours"},
      {"%-6s|%05.2d|%x",
       {MsgArg::Text("ab"), MsgArg::Number(7), MsgArg::Number(255)},
       "ab    |   07|ff"},
      {"100%% of %s", {MsgArg::Text("x")}, "100% of x"},
      // Fewer conversions than arguments is harmless.
      {"No label here.", {MsgArg::Text("x")}, "No label here."},
      // Anything that could read the wrong argument is shown as it stands.
      {"%d items", {MsgArg::Text("x")}, "%d items"},
      {"%s and %s", {MsgArg::Text("x")}, "%s and %s"},
      {"%n%s", {MsgArg::Text("x")}, "%n%s"},
      {"%*s", {MsgArg::Number(3), MsgArg::Text("x")}, "%*s"},
      {"%f", {MsgArg::Number(1)}, "%f"},
      {"%99999s", {MsgArg::Text("x")}, "%99999s"},
      {"ends with %", {MsgArg::Text("x")}, "ends with %"},
      {"%s", {MsgArg::Text(nullptr)}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MsgFormatChecked(c.format, c.args), c.expected) << c.format;
  }
}

TEST(MsgFormatChecked, CutsToTheBufferWithItsNul) {
  char out[6];
  EXPECT_EQ(MsgFormatCheckedTo(out, sizeof out, "%s!", {MsgArg::Text("abcdefgh")}), 5u);
  EXPECT_STREQ(out, "abcde");
  EXPECT_EQ(MsgFormatCheckedTo(out, 0, "%s", {MsgArg::Text("a")}), 0u);
}

}  // namespace
