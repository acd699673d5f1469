#include "driver/odbc/core/diag.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/memory.h"
#include "common/pool.h"
#include "common/rec_array.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_env.h"
#include "driver/odbc/core/drv_stmt.h"
#include "testing/test_env.h"

namespace {

class DiagTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PoolTableInit();
    list_ = CreateDiagList();
    ASSERT_NE(list_, nullptr);
  }
  void TearDown() override {
    MemFailAfter(0);
    DestroyDiagList(list_);
    PoolTableTerm();
  }

  // "number/native/state/text" per record, in list order.
  std::vector<std::string> Listed() const {
    std::vector<std::string> out;
    for (uint32_t i = 0; i < list_->count; ++i) {
      auto* record = static_cast<const DiagRecord*>(ArrAt(list_, i));
      out.push_back(std::to_string(record->number) + "/" + std::to_string(record->native) + "/" +
                    record->sqlstate + "/" + (record->text ? record->text : "-"));
    }
    return out;
  }

  RecArray* list_ = nullptr;
};

TEST_F(DiagTest, PostingAndMerging) {
  struct Post {
    uint32_t number;
    const char* state;
    int32_t native;
    const char* text;
  };
  struct Case {
    const char* name;
    std::vector<Post> posts;
    std::vector<std::string> listed;
  };
  const std::vector<Case> cases = {
      {"two by number stay two",
       {{5136, nullptr, 0, nullptr}, {5136, nullptr, 0, nullptr}},
       {"5136/0//-", "5136/0//-"}},
      {"same server error twice is listed once",
       {{0, "S0002", 208, "no table"}, {0, "S0002", 208, "no table"}},
       {"0/208/S0002/no table"}},
      {"a text joins a record without one",
       {{5135, nullptr, 0, nullptr}, {5135, nullptr, 0, "extra"}},
       {"5135/0//extra"}},
      {"another native error is another record",
       {{0, "S1000", 1, "x"}, {0, "S1000", 2, "x"}},
       {"0/1/S1000/x", "0/2/S1000/x"}},
      {"a different text ends the search",
       {{0, "S1000", 1, "x"}, {0, "S1000", 1, "y"}, {0, "S1000", 1, "x"}},
       {"0/1/S1000/x", "0/1/S1000/y"}},
      {"only the first matching record is compared",
       {{0, "S1000", 1, "x"}, {0, "S1000", 1, "y"}, {0, "S1000", 1, "y"}},
       {"0/1/S1000/x", "0/1/S1000/y", "0/1/S1000/y"}},
      {"the merged record keeps its place",
       {{5135, nullptr, 0, nullptr}, {5136, nullptr, 0, nullptr}, {5135, nullptr, 0, "late"}},
       {"5135/0//late", "5136/0//-"}},
      {"a long state is cut to five", {{0, "ABCDEFG", 0, nullptr}}, {"0/0/ABCDE/-"}},
  };
  for (const Case& c : cases) {
    for (const Post& p : c.posts) {
      ASSERT_EQ(AddDiagRecord(list_, p.number, p.state, p.native, p.text), 0) << c.name;
    }
    EXPECT_EQ(Listed(), c.listed) << c.name;
    DestroyDiagList(list_);
    list_ = CreateDiagList();
  }
}

TEST_F(DiagTest, RecordsThatCannotBeStoredSetTheOverflowFlag) {
  DrvConn connection = {};
  connection.diagnostics = list_;
  // The text copy fails, then the append of a fourth record (the list grows
  // by three).
  MemFailAfter(1);
  EXPECT_EQ(PostDbcError(&connection, 5135, 0, "text"), -1);
  MemFailAfter(0);
  EXPECT_EQ(connection.diag_overflow, 1u);
  EXPECT_EQ(list_->count, 0u);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(PostDbcError(&connection, 5136, 0, nullptr), 0);
  MemFailAfter(1);
  EXPECT_EQ(PostDbcError(&connection, 5136, 0, nullptr), -1);
  MemFailAfter(0);
  EXPECT_EQ(list_->count, 3u);

  ClearHandleErrors(nullptr, &connection, nullptr);
  EXPECT_EQ(connection.diag_overflow, 0u);
  EXPECT_EQ(list_->count, 0u);

  DrvEnv env = {};  // no list at all
  EXPECT_EQ(PostEnvError(&env, 5136, 0, nullptr), -1);
  EXPECT_EQ(env.diag_overflow, 1u);
}

TEST_F(DiagTest, ClearingEmptiesEveryGivenHandle) {
  DrvEnv env = {};
  DrvConn connection = {};
  DrvStmt statement = {};
  env.diagnostics = CreateDiagList();
  connection.diagnostics = list_;
  statement.diagnostics = CreateDiagList();
  ASSERT_EQ(PostEnvError(&env, 5136, 0, "e"), 0);
  ASSERT_EQ(PostDbcError(&connection, 5136, 0, "c"), 0);
  ASSERT_EQ(PostStmtError(&statement, 5136, 0, "s"), 0);
  statement.diag_overflow = 1;
  ClearHandleErrors(&env, nullptr, &statement);
  EXPECT_EQ(env.diagnostics->count, 0u);
  EXPECT_EQ(connection.diagnostics->count, 1u);
  EXPECT_EQ(statement.diagnostics->count, 0u);
  EXPECT_EQ(statement.diag_overflow, 0u);
  DestroyDiagList(env.diagnostics);
  DestroyDiagList(statement.diagnostics);
}

TEST_F(DiagTest, SerializationFailureEndsTheTransaction) {
  struct Case {
    uint16_t state;
    const char* sqlstate;
    uint16_t after;
  };
  const Case cases[] = {
      {5, "40001", 3}, {4, "40001", 3}, {5, "40000", 5}, {4, "S1000", 4}, {1, "4000", 1},
  };
  for (const Case& c : cases) {
    DrvConn connection = {};
    connection.state = c.state;
    connection.diagnostics = list_;
    EXPECT_EQ(PostDbcStateError(&connection, c.sqlstate, 7, "server"), 0);
    EXPECT_EQ(connection.state, c.after) << c.sqlstate;

    DrvStmt statement = {};
    statement.conn = &connection;
    statement.diagnostics = list_;
    connection.state = c.state;
    EXPECT_EQ(PostStmtStateError(&statement, c.sqlstate, 7, "server"), 0);
    EXPECT_EQ(connection.state, c.after) << c.sqlstate;
  }
}

}  // namespace
