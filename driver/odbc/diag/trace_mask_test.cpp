// Keeping passwords out of trace lines.
#include "driver/odbc/diag/trace_mask.h"

#include <gtest/gtest.h>

namespace {

TEST(TraceMaskTest, PasswordsNeverReachATraceLine) {
  struct Case {
    const char* text;
    const char* want;
  };
  const Case cases[] = {
      {"DSN=a;PWD=secret;UID=u", "DSN=a;PWD=******;UID=u"},
      {"pwd = ab;PWD=cd", "pwd =***;PWD=**"},
      {"DSN=a;PWDX=1", "DSN=a;PWDX=1"},
      {"PWD=", "PWD="},
      {"DSN=a;Password=secret", "DSN=a;Password=******"},
      {"DSN=a", "DSN=a"},
  };
  for (const Case& c : cases) EXPECT_EQ(MaskPasswordValue(c.text), c.want) << c.text;
  EXPECT_EQ(MaskedPassword("secret"), "******");
  EXPECT_EQ(MaskedPassword(nullptr), "NULL");
}

}  // namespace
