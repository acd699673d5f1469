#include "common/profile_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ProfilePath, KeepsPathsThatFit) {
  ASSERT_EQ(ProfilePathSet("HKEY_CURRENT_USER\\Software\\odbc\\odbc.ini"), 1);
  EXPECT_STREQ(ProfilePathGet(), "HKEY_CURRENT_USER\\Software\\odbc\\odbc.ini");

  std::string longest(kProfilePathSize - 1, 'p');
  ASSERT_EQ(ProfilePathSet(longest.c_str()), 1);
  EXPECT_EQ(ProfilePathGet(), longest);
  // One more would not leave room for its NUL: refused, the old path stays.
  EXPECT_EQ(ProfilePathSet(std::string(kProfilePathSize, 'q').c_str()), 0);
  EXPECT_EQ(ProfilePathSet(nullptr), 0);
  EXPECT_EQ(ProfilePathGet(), longest);
}

}  // namespace
