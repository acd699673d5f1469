// The statement functions' checks that decide before anything is sent:
// sequence and cursor-state refusals, the parameter check, the status
// mapping, cursor names, the row count and SQLMoreResults.
#include "driver/odbc/statement/stmt_exec.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <string>

#include "common/rec_array.h"
#include "driver/lna/lna_call.h"
#include "driver/odbc/core/rpc_status.h"
#include "driver/odbc/core/server_types.h"
#include "driver/odbc/statement/cursor_name.h"
#include "driver/odbc/statement/row_count.h"
#include "testing/stmt_test_support.h"

namespace {

using States = std::vector<std::string>;

SQLCHAR* Text(const char* text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text));
}

// What a refused call must leave as it was.
struct Fields {
  uint16_t state, result_class, result_kind;
  uint32_t prepared, marker_count, row_count;
  bool operator==(const Fields&) const = default;
};

Fields Of(const DrvStmt* s) {
  return {s->state, s->result_class, s->result_kind, s->prepared, s->marker_count, s->row_count};
}

TEST(StmtExecTest, RefusedBeforeAnythingIsSent) {
  struct Case {
    const char* what;
    uint16_t state;
    uint32_t prepared;
    uint16_t result_class;
    uint32_t pending_function;  // with asynchronous execution on; 0: none pending
    SQLRETURN (*call)(DrvStmt*);
    const char* sqlstate;
  };
  auto execute = [](DrvStmt* s) { return SQLExecuteImpl(s); };
  auto prepare = [](DrvStmt* s) { return SQLPrepareImpl(s, Text("select 1"), SQL_NTS); };
  auto direct = [](DrvStmt* s) { return SQLExecDirectImpl(s, Text("select 1"), SQL_NTS); };
  auto direct_null = [](DrvStmt* s) { return SQLExecDirectImpl(s, nullptr, SQL_NTS); };
  auto prepare_bad_length = [](DrvStmt* s) { return SQLPrepareImpl(s, Text("select 1"), -7); };
  const Case cases[] = {
      {"execute never prepared", kStmtAllocated, 0, 0, 0, execute, "S1010"},
      {"execute after a direct non-query", kStmtExecuted, 0, kResultNone, 0, execute, "S1010"},
      {"execute over an open result", kStmtResultOpen, 1, kResultRows, 0, execute, "24000"},
      {"execute over a direct query's result", kStmtResultOpen, 0, kResultRows, 0, execute,
       "24000"},
      {"execute while a fetch is pending", kStmtResultOpen, 1, kResultRows, SQL_API_SQLFETCH,
       execute, "S1010"},
      {"prepare over an open result", kStmtResultOpen, 1, kResultRows, 0, prepare, "24000"},
      {"prepare while an execute is pending", kStmtPrepared, 1, kResultNone, SQL_API_SQLEXECUTE,
       prepare, "S1010"},
      {"prepare with a bad length", kStmtAllocated, 0, 0, 0, prepare_bad_length, "S1090"},
      {"direct execution while a prepare is pending", kStmtAllocated, 0, 0, SQL_API_SQLPREPARE,
       direct, "S1010"},
      {"direct execution without a text", kStmtAllocated, 0, 0, 0, direct_null, "S1009"},
  };
  for (const Case& c : cases) {
    StmtFixture fixture;
    DrvStmt* s = fixture.stmt();
    s->state = c.state;
    s->prepared = c.prepared;
    s->result_class = c.result_class;
    s->row_count = 3;
    if (c.pending_function != 0) {
      s->options.slot[kOptAsyncEnable] = SQL_ASYNC_ENABLE_ON;
      s->pending = 1;
      s->pending_function = c.pending_function;
    }
    Fields before = Of(s);
    EXPECT_EQ(c.call(s), SQL_ERROR) << c.what;
    EXPECT_EQ(fixture.States(), States{c.sqlstate}) << c.what;
    EXPECT_TRUE(Of(s) == before) << c.what;
    EXPECT_EQ(s->pending_function, c.pending_function) << c.what;
  }
}

TEST(StmtExecTest, MissingParametersAreReportedOncePerMarker) {
  StmtFixture fixture;
  DrvStmt* s = fixture.stmt();
  fixture.conn()->exec_direct = DrvExecDirect;
  EXPECT_EQ(SQLExecDirectImpl(s, Text("insert into t values (?, '?', ?)"), SQL_NTS), SQL_ERROR);
  EXPECT_EQ(fixture.States(), (States{"07001", "07001"}));
  EXPECT_EQ(s->state, kStmtAllocated);
  EXPECT_EQ(s->marker_count, 0u);
}

TEST(StmtExecTest, StatusMapping) {
  struct Case {
    int16_t status;
    SQLRETURN want;
    const char* posted;  // empty: nothing
  };
  const Case cases[] = {
      {kLnaOk, SQL_SUCCESS, ""},
      {kLnaStillExecuting, SQL_STILL_EXECUTING, ""},
      {kLnaNeedData, SQL_NEED_DATA, ""},
      {kLnaNoData, SQL_NO_DATA_FOUND, ""},
      {kLnaNoMemory, SQL_ERROR, "S1001"},
      {-21, SQL_ERROR, "S1000"},  // a status nobody knows is no success
      {-3, SQL_ERROR, "S1000"},
      {2, SQL_ERROR, "S1000"},
  };
  for (const Case& c : cases) {
    StmtFixture fixture;
    EXPECT_EQ(DrvStmtStatus(fixture.stmt(), c.status), c.want) << c.status;
    States want;
    if (c.posted[0] != '\0') want.push_back(c.posted);
    EXPECT_EQ(fixture.States(), want) << c.status;
  }
}

TEST(StmtExecTest, RowCountIsSignedAndWholeWidth) {
  struct Case {
    uint16_t result_class;
    uint16_t state;
    uint32_t row_count;
    SQLLEN want;
  };
  const Case cases[] = {
      {kResultNone, kStmtExecuted, 5, 5},    {kResultNone, kStmtExecuted, 0xFFFFFFFFu, -1},
      {kResultRows, kStmtResultOpen, 7, -1}, {kResultRows, kStmtExecuted, 7, -1},
      {kResultRows, kStmtOnRow, 3, 3},
  };
  for (const Case& c : cases) {
    StmtFixture fixture;
    DrvStmt* s = fixture.stmt();
    s->result_class = c.result_class;
    s->state = c.state;
    s->row_count = c.row_count;
    SQLLEN value = 0x5A5A5A5A5A5A5A5A;
    EXPECT_EQ(SQLRowCountImpl(s, &value), SQL_SUCCESS);
    EXPECT_EQ(value, c.want) << c.row_count;
  }
}

TEST(StmtExecTest, CursorNames) {
  StmtFixture fixture;
  DrvStmt* s = fixture.stmt();
  char name[32] = {};
  SQLSMALLINT length = 0;
  auto get = [&](SQLSMALLINT size) {
    return SQLGetCursorNameImpl(s, reinterpret_cast<SQLCHAR*>(name), size, &length);
  };
  EXPECT_EQ(get(sizeof name), SQL_ERROR);
  EXPECT_EQ(fixture.States(), States{"S1015"});

  // A generated name while a result is described.
  s->state = kStmtResultOpen;
  s->result_class = kResultRows;
  std::snprintf(s->cursor_name, sizeof s->cursor_name, "SQL_CUR1f");
  EXPECT_EQ(get(sizeof name), SQL_SUCCESS);
  EXPECT_STREQ(name, "SQL_CUR1f");
  EXPECT_EQ(get(4), SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(name, "SQL");
  EXPECT_EQ(length, 9);
  EXPECT_EQ(fixture.States(), States{"01004"});

  // The application's name outlives an execution without a result.
  s->state = kStmtExecuted;
  s->result_class = kResultNone;
  std::snprintf(s->cursor_name, sizeof s->cursor_name, "mine");
  s->cursor_name_set = 1;
  EXPECT_EQ(get(sizeof name), SQL_SUCCESS);
  EXPECT_STREQ(name, "mine");

  // Names that cannot be set.
  DrvStmt other{};
  std::snprintf(other.cursor_name, sizeof other.cursor_name, "c1");
  DrvStmt* listed[] = {s, &other};
  RecArray* own = fixture.conn()->statements;
  fixture.conn()->statements = ArrCreate(2, sizeof(DrvStmt*), 1, 0);
  for (DrvStmt* p : listed) ArrAppend(fixture.conn()->statements, &p);
  struct Case {
    const char* name;
    uint16_t state;
    const char* sqlstate;
  };
  const Case cases[] = {
      {"abcdefghijklmnopqrs", kStmtAllocated, "34000"},
      {"C1", kStmtAllocated, "3C000"},
      {"fine", kStmtResultOpen, "24000"},
      {"fine", kStmtOnRow, "24000"},
  };
  for (const Case& c : cases) {
    s->state = c.state;
    EXPECT_EQ(SQLSetCursorNameImpl(s, Text(c.name), SQL_NTS), SQL_ERROR) << c.name;
    EXPECT_EQ(fixture.States(), States{c.sqlstate}) << c.name;
    EXPECT_STREQ(s->cursor_name, "mine");
  }
  ArrDestroy(fixture.conn()->statements);
  fixture.conn()->statements = own;
}

TEST(StmtExecTest, MoreResultsClosesTheOnlyResult) {
  StmtFixture fixture;
  DrvStmt* s = fixture.stmt();
  s->state = kStmtOnRow;
  s->prepared = 1;
  s->result_class = kResultRows;
  s->row_count = 4;
  EXPECT_EQ(SQLMoreResultsImpl(s), SQL_NO_DATA_FOUND);
  EXPECT_EQ(s->state, kStmtPrepared);
  EXPECT_EQ(s->row_count, 0u);
}

TEST(StmtExecTest, ReplyDescriptorsSetTheResultClass) {
  StmtFixture fixture;
  TypeDescriptor integer = {SQL_INTEGER, nullptr, nullptr, nullptr, nullptr, 0,
                            10,          0,       10,      nullptr, 0};
  fixture.conn()->type_descs = &integer;
  fixture.conn()->type_count = fixture.conn()->server_type_count = 1;
  DrvStmt* s = fixture.stmt();
  LnaColumnDesc columns[2] = {};
  columns[0].sql_type = columns[1].sql_type = SQL_INTEGER;
  LnaParamDesc param = {SQL_INTEGER, 10, 0, 1};

  EXPECT_EQ(BuildReplyDescriptors(s, 2, columns, 1, &param), SQL_SUCCESS);
  EXPECT_EQ(s->result_class, kResultRows);
  EXPECT_EQ(s->result_kind, 1u);
  EXPECT_EQ(ArrCount(s->columns), 2u);
  ASSERT_NE(s->param_descs, nullptr);
  EXPECT_EQ(ArrCount(s->param_descs), 1u);

  DrvResetStmt(s);
  EXPECT_EQ(BuildReplyDescriptors(s, 0, nullptr, 0, nullptr), SQL_SUCCESS);
  EXPECT_EQ(s->result_class, kResultNone);
  EXPECT_EQ(s->result_kind, 0u);
  EXPECT_EQ(s->columns, nullptr);
  EXPECT_EQ(s->param_descs, nullptr);
}

}  // namespace
