#include "driver/odbc/statement/text_helpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "common/pool.h"
#include "common/rec_array.h"
#include "driver/odbc/connect/drv_conn.h"
#include "driver/odbc/statement/drv_stmt.h"

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

TEST(ConnHasStatements, OnlyAsyncStatementsWithAPendingCall) {
  PoolTableInit();
  DrvConn connection = {};
  connection.statements = ArrCreate(4, sizeof(DrvStmt*), 1, 0);
  ASSERT_NE(connection.statements, nullptr);
  DrvStmt sync_pending = {};
  sync_pending.pending_function = 11;
  DrvStmt async_idle = {};
  async_idle.options.slot[kOptAsyncEnable] = 1;
  DrvStmt async_pending = {};
  async_pending.options.slot[kOptAsyncEnable] = 1;
  async_pending.pending_function = 13;

  EXPECT_EQ(ConnHasStatements(&connection), 0);
  for (DrvStmt* statement : {&sync_pending, &async_idle}) {
    ASSERT_EQ(ArrAppend(connection.statements, &statement), kArrOk);
  }
  EXPECT_EQ(ConnHasStatements(&connection), 0);
  DrvStmt* pending = &async_pending;
  ASSERT_EQ(ArrAppend(connection.statements, &pending), kArrOk);
  EXPECT_EQ(ConnHasStatements(&connection), 1);
  ArrDestroy(connection.statements);
  PoolTableTerm();
}

TEST(ProcessEscapeClauses, CopiesTheTextWithinTheBuffer) {
  char buffer[8];
  EXPECT_EQ(ProcessEscapeClauses(nullptr, nullptr, "select 1", buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "select ");
  EXPECT_EQ(ProcessEscapeClauses(nullptr, nullptr, "{fn x}", buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "{fn x}");
}

}  // namespace
