// Result values against a velsrv on loopback in front of SQLite and of a
// private PostgreSQL: columns whose backend gives a length in bytes or a
// nominal size still deliver their whole text, and a value longer than the
// size its column is described with arrives whole, on either fetch road,
// prepared or not.
#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/fetch/column_binding.h"
#include "driver/odbc/fetch/stmt_fetch.h"
#include "driver/odbc/statement/param_api.h"
#include "driver/odbc/statement/stmt_exec.h"
#include "driver/odbc/statement/stmt_handle.h"
#include "testing/counting_text.h"
#include "testing/server_backends.h"

namespace {

struct Database {
  const char* dsn;
  const char* rows_dsn;  // the same data source with array fetch off
  const char* uid;
  const char* big;  // a bigint value
  // A text of n four-digit steps ("0001", "0002", ...), as an expression.
  const char* counting;
  // A column that the backend describes smaller than the texts it keeps.
  const char* narrow_type;
};
// SQLite describes a bigint expression as an integer: the value comes from a
// column declared bigint. It keeps any text in a varchar(10); PostgreSQL
// describes an unconstrained varchar by its driver's nominal maximum.
const Database kSqlite{"VelWidthLite",
                       "VelWidthLiteRows",
                       "ann",
                       "select v from bigs",
                       "(with recursive c(x) as (select 1 union all select x + 1 from c where "
                       "x < %d) select group_concat(printf('%%04d', x %% 10000), '') from c)",
                       "varchar(10)"};
const Database kPostgres{"VelWidthPg",
                         "VelWidthPgRows",
                         "postgres",
                         "select cast(-9223372036854775807 as bigint)",
                         "(select string_agg(lpad((g %% 10000)::text, 4, '0'), '' order by g) "
                         "from generate_series(1, %d) g)",
                         "varchar"};

ServerBackends* const g_servers = AddServerBackends(kSqlite.dsn, kPostgres.dsn);

std::string CountingSql(const Database& db, int steps) {
  char sql[512];
  std::snprintf(sql, sizeof sql, db.counting, steps);
  return sql;
}

class ResultWidthTest : public ::testing::TestWithParam<const Database*> {
 protected:
  void SetUp() override {
    g_servers->Require(GetParam()->dsn);
    static bool added = false;
    if (!added) {
      added = true;
      g_servers->harness().AddDsn(kSqlite.rows_dsn, {"ArrayFetchOn=0"});
      g_servers->harness().AddDsn(
          kPostgres.rows_dsn, {"ArrayFetchOn=0", std::string("UID=") + kPostgres.uid}, "postgres");
    }
  }
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

TEST_P(ResultWidthTest, BigintsAreWhole) {
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
}

// The whole text of column 1, read as pyodbc reads it: SQLGetData in
// pieces while it warns of more. *first_length: what the first piece said.
std::string ReadPieces(ServerSession& s, SQLLEN* first_length) {
  std::string text;
  char piece[4096];
  for (int call = 0; call < 1000; ++call) {
    SQLLEN length = 0;
    SQLRETURN r = SQLGetDataImpl(s.stmt(), 1, SQL_C_CHAR, piece, sizeof piece, &length);
    if (call == 0) *first_length = length;
    if (r == SQL_NO_DATA_FOUND) break;
    EXPECT_TRUE(SQL_SUCCEEDED(r)) << testing::PrintToString(s.Messages());
    if (!SQL_SUCCEEDED(r) || length == SQL_NULL_DATA) break;
    text += piece;
    if (r == SQL_SUCCESS) break;
  }
  return text;
}

// Texts of these lengths (in four-digit steps) in a column described
// smaller: some a row block carries together, one that ends a block of its
// own, one longer than any column block.
const int kSteps[] = {100, 2, 10000, 40000, 100, 1};

TEST_P(ResultWidthTest, TextsLongerThanTheirColumnArriveWhole) {
  const Database& db = *GetParam();
  {
    ServerSession s(db.dsn, db.uid);
    ASSERT_TRUE(s.ok()) << testing::PrintToString(s.Messages());
    std::vector<std::string> setup = {
        "drop table if exists wide",
        std::string("create table wide(id integer, v ") + db.narrow_type + ")"};
    for (size_t i = 0; i < std::size(kSteps); ++i)
      setup.push_back("insert into wide values(" + std::to_string(i) + ", " +
                      CountingSql(db, kSteps[i]) + ")");
    for (const std::string& sql : setup) {
      SQLFreeStmtImpl(s.stmt(), SQL_CLOSE);
      ASSERT_TRUE(SQL_SUCCEEDED(SQLExecDirectImpl(s.stmt(), Text(sql.c_str()), SQL_NTS)))
          << sql << testing::PrintToString(s.Messages());
    }
  }
  const std::string sql = "select v from wide order by id";
  for (const char* dsn : {db.dsn, db.rows_dsn}) {
    for (bool prepared : {false, true}) {
      SCOPED_TRACE(std::string(dsn) + (prepared ? ", prepared" : ", direct"));
      ServerSession s(dsn, db.uid);
      ASSERT_TRUE(s.ok()) << testing::PrintToString(s.Messages());
      auto execute = [&] {
        SQLFreeStmtImpl(s.stmt(), SQL_CLOSE);
        SQLFreeStmtImpl(s.stmt(), SQL_UNBIND);
        if (!prepared) return SQLExecDirectImpl(s.stmt(), Text(sql.c_str()), SQL_NTS);
        SQLRETURN r = SQLPrepareImpl(s.stmt(), Text(sql.c_str()), SQL_NTS);
        return r == SQL_SUCCESS ? SQLExecuteImpl(s.stmt()) : r;
      };

      ASSERT_EQ(execute(), SQL_SUCCESS) << testing::PrintToString(s.Messages());
      for (int steps : kSteps) {
        SCOPED_TRACE(steps);
        ASSERT_EQ(SQLFetchImpl(s.stmt()), SQL_SUCCESS) << testing::PrintToString(s.Messages());
        SQLLEN length = 0;
        std::string text = ReadPieces(s, &length);
        EXPECT_EQ(length, 4 * steps);
        EXPECT_TRUE(text == CountingText(steps)) << text.size();
      }
      EXPECT_EQ(SQLFetchImpl(s.stmt()), SQL_NO_DATA_FOUND);

      // A bound buffer too small for the text: 01004 and the whole length.
      ASSERT_EQ(execute(), SQL_SUCCESS) << testing::PrintToString(s.Messages());
      char head[11];
      SQLLEN head_length = 0;
      ASSERT_EQ(SQLBindColImpl(s.stmt(), 1, SQL_C_CHAR, head, sizeof head, &head_length),
                SQL_SUCCESS);
      for (int steps : kSteps) {
        SCOPED_TRACE(steps);
        bool fits = 4 * steps < static_cast<int>(sizeof head);
        EXPECT_EQ(SQLFetchImpl(s.stmt()), fits ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO);
        std::vector<std::string> messages = s.Messages();
        if (!fits) {
          ASSERT_FALSE(messages.empty());
          EXPECT_EQ(messages.front().substr(0, 5), "01004");
        }
        EXPECT_EQ(head_length, 4 * steps);
        EXPECT_EQ(std::string(head), CountingText(steps).substr(0, sizeof head - 1));
      }
    }
  }
}

// A parameter echoed back: its column is described by what the backend
// guesses of a parameter, far smaller than the value.
TEST_P(ResultWidthTest, AnEchoedLongParameterArrivesWhole) {
  const Database& db = *GetParam();
  const std::string value = CountingText(17500);  // 70,000 characters
  for (const char* dsn : {db.dsn, db.rows_dsn}) {
    for (bool prepared : {false, true}) {
      SCOPED_TRACE(std::string(dsn) + (prepared ? ", prepared" : ", direct"));
      ServerSession s(dsn, db.uid);
      ASSERT_TRUE(s.ok()) << testing::PrintToString(s.Messages());
      SQLLEN indicator = static_cast<SQLLEN>(value.size());
      ASSERT_EQ(SQLBindParameterImpl(s.stmt(), 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_LONGVARCHAR,
                                     value.size(), 0, const_cast<char*>(value.data()),
                                     static_cast<SQLLEN>(value.size()), &indicator),
                SQL_SUCCESS);
      SQLRETURN r = prepared ? SQLPrepareImpl(s.stmt(), Text("select ?"), SQL_NTS) : SQL_SUCCESS;
      ASSERT_EQ(r, SQL_SUCCESS) << testing::PrintToString(s.Messages());
      r = prepared ? SQLExecuteImpl(s.stmt())
                   : SQLExecDirectImpl(s.stmt(), Text("select ?"), SQL_NTS);
      ASSERT_EQ(r, SQL_SUCCESS) << testing::PrintToString(s.Messages());
      ASSERT_EQ(SQLFetchImpl(s.stmt()), SQL_SUCCESS) << testing::PrintToString(s.Messages());
      SQLLEN length = 0;
      std::string text = ReadPieces(s, &length);
      EXPECT_EQ(length, static_cast<SQLLEN>(value.size()));
      EXPECT_TRUE(text == value) << text.size();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Databases, ResultWidthTest, ::testing::Values(&kSqlite, &kPostgres),
                         [](const auto& info) {
                           return std::string(info.param == &kSqlite ? "sqlite" : "postgres");
                         });

}  // namespace
