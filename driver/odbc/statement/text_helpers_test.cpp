#include "driver/odbc/statement/text_helpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "driver/odbc/core/drv_stmt.h"

namespace {

TEST(MakeCursorName, UniqueNamesThatFitTheField) {
  std::set<std::string> names;
  for (int i = 0; i < 1000; ++i) {
    DrvStmt statement = {};
    std::memset(statement.cursor_name, '#', sizeof statement.cursor_name);
    MakeCursorName(&statement);
    ASSERT_NE(std::memchr(statement.cursor_name, '\0', sizeof statement.cursor_name), nullptr);
    std::string name = statement.cursor_name;
    ASSERT_EQ(name.rfind("SQL_CUR", 0), 0u) << name;
    EXPECT_EQ(name.find_first_not_of("0123456789abcdef", 7), std::string::npos) << name;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 1000u);
}

TEST(FindWordOutsideQuotes, SkipsLiterals) {
  struct Case {
    const char* text;
    const char* word;
    long position;  // -1: not found
  };
  const Case cases[] = {
      {"select 'where' from t where x", "where", 22},
      {"SELECT * FROM t WHERE x", "where", 16},
      {"select 'it''s where' from t", "where", -1},    // '' stays inside the literal
      {"select ''where", "where", 9},                  // an empty literal ends at once
      {"update t set x = 'a' wherever", "where", 21},  // no word boundaries
      {"select 'unclosed where", "where", -1},
      {"", "where", -1},
      {"whe", "where", -1},
  };
  for (const Case& c : cases) {
    const char* found = FindWordOutsideQuotes(c.text, c.word);
    long position = found == nullptr ? -1 : static_cast<long>(found - c.text);
    EXPECT_EQ(position, c.position) << c.text;
  }
  EXPECT_EQ(FindWordOutsideQuotes(nullptr, "x"), nullptr);
}

TEST(TrimSet, CutsBothEnds) {
  struct Case {
    const char* text;
    const char* set;
    const char* result;
  };
  const Case cases[] = {
      {"  a b  ", " ", "a b"}, {"..x..", ".", "x"}, {"  ", " ", ""},
      {"abc", "", "abc"},      {"", " ", ""},       {"\t x;\n", "\t\n ;", "x"},
  };
  for (const Case& c : cases) {
    char buffer[32];
    std::strcpy(buffer, c.text);
    EXPECT_STREQ(TrimSet(buffer, c.set), c.result) << "[" << c.text << "]";
  }
  char text[] = "x";
  EXPECT_EQ(TrimSet(nullptr, " "), nullptr);
  EXPECT_EQ(TrimSet(text, nullptr), nullptr);
}

TEST(ProcessEscapeClauses, CopiesTheTextWithinTheBuffer) {
  char buffer[8];
  EXPECT_EQ(ProcessEscapeClauses(nullptr, nullptr, "select 1", buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "select ");
  EXPECT_EQ(ProcessEscapeClauses(nullptr, nullptr, "{fn x}", buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "{fn x}");
}

}  // namespace
