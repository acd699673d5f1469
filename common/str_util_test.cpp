#include "common/str_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

int Sign(int v) {
  return (v > 0) - (v < 0);
}

TEST(StrUtil, CaseInsensitiveCompare) {
  struct Case {
    const char* a;
    const char* b;
    size_t n;
    int full;     // sign of StrCaseCompare
    int bounded;  // StrCaseNCompare over n
  } cases[] = {
      {"OdbcTrace", "ODBCTRACE", 9, 0, 0},
      {"abc", "abd", 2, -1, 0},
      {"abd", "ABC", 3, 1, 1},
      {"ab", "abc", 5, -1, -1},
      {"", "", 3, 0, 0},
      {"x", "", 1, 1, 1},
      {"abc", "xyz", 0, -1, 0},
      {"[", "{", 1, -1, -1},  // no folding outside the letters: '[' < '{'
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    EXPECT_EQ(Sign(StrCaseCompare(c.a, c.b)), c.full);
    EXPECT_EQ(StrCaseNCompare(c.a, c.b, c.n), c.bounded);
  }
  // The difference is that of the upper-cased characters.
  EXPECT_EQ(StrCaseCompare("a", "c"), 'A' - 'C');
}

TEST(StrUtil, InPlaceTransforms) {
  struct Case {
    const char* in;
    const char* reversed;
    const char* upper;
    const char* lower;
  } cases[] = {
      {"", "", "", ""},
      {"a", "a", "A", "a"},
      {"ab", "ba", "AB", "ab"},
      {"Velto 6.1", "1.6 otleV", "VELTO 6.1", "velto 6.1"},
      {"\xe4x", "x\xe4", "\xe4X", "\xe4x"},  // bytes above 127 are left alone
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    char buffer[32];
    std::strcpy(buffer, c.in);
    EXPECT_EQ(StrReverse(buffer), buffer);
    EXPECT_STREQ(buffer, c.reversed);
    std::strcpy(buffer, c.in);
    EXPECT_EQ(StrUpper(buffer), buffer);
    EXPECT_STREQ(buffer, c.upper);
    std::strcpy(buffer, c.in);
    EXPECT_EQ(StrLower(buffer), buffer);
    EXPECT_STREQ(buffer, c.lower);
  }
}

TEST(StrUtil, CopyBoundedTerminatesOnlyWhenShorter) {
  struct Case {
    const char* source;
    size_t n;
    const char* expected;  // the 8 bytes after the copy, '#' where untouched
  } cases[] = {
      {"abcdef", 3, "abc#####"},  // n characters copied: no NUL
      {"abc", 6, "abc\0####"},   {"abc", 3, "abc#####"},
      {"", 4, "\0#######"},      {"abc", 0, "########"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.source) + " n=" + std::to_string(c.n));
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    StrCopyBounded(buffer, c.source, c.n);
    EXPECT_EQ(std::string(buffer, 8), std::string(c.expected, 8));
  }
}

TEST(StrUtil, AppendBoundedCutsAndTerminates) {
  struct Case {
    const char* before;
    const char* source;
    size_t size;
    const char* expected;
  } cases[] = {
      {"ab", "cd", 8, "abcd"}, {"ab", "cdefgh", 6, "abcde"}, {"abcde", "xy", 6, "abcde"},
      {"", "xyz", 1, ""},      {"ab", "", 8, "ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.before) + "+" + c.source + " size=" + std::to_string(c.size));
    char buffer[16];
    std::strcpy(buffer, c.before);
    StrAppendBounded(buffer, c.source, c.size);
    EXPECT_STREQ(buffer, c.expected);
  }
}

TEST(StrUtil, TrimTakesItsBlanksOffBothEnds) {
  struct Case {
    const char* text;
    const char* blanks;  // null: the default set
    const char* expected;
  } cases[] = {
      {"  a b \t\r\n", nullptr, "a b"},
      {" \t\r\n", nullptr, ""},
      {"", nullptr, ""},
      {"x", nullptr, "x"},
      {" a\r\n", " \t", "a\r\n"},
      {"\ta\t", " \t", "a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.blanks != nullptr ? Trim(c.text, c.blanks) : Trim(c.text), c.expected);
  }
}

}  // namespace
