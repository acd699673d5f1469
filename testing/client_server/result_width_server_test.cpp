// Result values against a velsrv on loopback in front of SQLite and of a
// private PostgreSQL: columns whose backend gives a length in bytes or a
// nominal size still deliver their whole text, and a value longer than its
// column is never cut without saying so.
#include <gtest/gtest.h>
#include <sqlext.h>

#include <string>

#include "driver/odbc/fetch/stmt_fetch.h"
#include "driver/odbc/statement/drv_stmt.h"
#include "driver/odbc/statement/stmt_exec.h"
#include "testing/server_backends.h"

namespace {

struct Database {
  const char* dsn;
  const char* uid;
  const char* big;       // a bigint value
  const char* overlong;  // a 400-character text in a column of a smaller size
};
// SQLite describes a bigint expression as an integer: the value comes from a
// column declared bigint.
const Database kSqlite{"VelWidthLite", "ann", "select v from bigs",
                       "select cast(printf('%.400c', 'x') as varchar(10))"};
const Database kPostgres{"VelWidthPg", "postgres", "select cast(-9223372036854775807 as bigint)",
                         "select repeat('x', 400)::varchar"};

ServerBackends* const g_servers = AddServerBackends(kSqlite.dsn, kPostgres.dsn);

class ResultWidthTest : public ::testing::TestWithParam<const Database*> {
 protected:
  void SetUp() override { g_servers->Require(GetParam()->dsn); }
};

struct Read {
  SQLRETURN fetch = SQL_ERROR;
  SQLRETURN get = SQL_ERROR;
  std::string text;
  SQLLEN length = 0;
};

Read FirstValue(ServerSession& s, const std::string& sql) {
  Read r;
  SQLFreeStmtImpl(s.stmt(), SQL_CLOSE);
  if (SQLExecDirectImpl(s.stmt(), Text(sql.c_str()), SQL_NTS) != SQL_SUCCESS) return r;
  r.fetch = SQLFetchImpl(s.stmt());
  char buffer[1000] = {};
  r.get = SQLGetDataImpl(s.stmt(), 1, SQL_C_CHAR, buffer, sizeof buffer, &r.length);
  r.text = buffer;
  return r;
}

TEST_P(ResultWidthTest, TextsAreWholeOrReportedCut) {
  ServerSession s(GetParam()->dsn, GetParam()->uid);
  ASSERT_TRUE(s.ok()) << testing::PrintToString(s.Messages());
  // A bigint's length is its 8 bytes; its text has up to 20 characters.
  for (const char* sql :
       {"create table bigs(v bigint)", "insert into bigs values(-9223372036854775807)"})
    ASSERT_EQ(SQLExecDirectImpl(s.stmt(), Text(sql), SQL_NTS), SQL_SUCCESS) << sql;
  Read big = FirstValue(s, GetParam()->big);
  EXPECT_EQ(big.fetch, SQL_SUCCESS) << testing::PrintToString(s.Messages());
  EXPECT_EQ(big.get, SQL_SUCCESS);
  EXPECT_EQ(big.text, "-9223372036854775807");

  Read text = FirstValue(s, GetParam()->overlong);
  ASSERT_TRUE(SQL_SUCCEEDED(text.fetch)) << testing::PrintToString(s.Messages());
  ASSERT_TRUE(SQL_SUCCEEDED(text.get));
  EXPECT_EQ(text.text, std::string(text.text.size(), 'x'));
  if (text.text.size() < 400) {
    EXPECT_TRUE(text.fetch == SQL_SUCCESS_WITH_INFO || text.get == SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(text.length, static_cast<SQLLEN>(text.text.size()));
  } else {
    EXPECT_EQ(text.length, 400);
  }
}

INSTANTIATE_TEST_SUITE_P(Databases, ResultWidthTest, ::testing::Values(&kSqlite, &kPostgres),
                         [](const auto& info) {
                           return std::string(info.param == &kSqlite ? "sqlite" : "postgres");
                         });

}  // namespace
