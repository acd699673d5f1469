// Transactions and translated statement text through the driver's workers
// against a velsrv on loopback, in front of SQLite and of a private
// PostgreSQL. A second connection checks what the first one left in the
// database.
#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver/odbc/connect/connect_api.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/diag/sql_error.h"
#include "driver/odbc/fetch/stmt_fetch.h"
#include "driver/odbc/options/conn_options_api.h"
#include "driver/odbc/options/transact.h"
#include "driver/odbc/statement/stmt_exec.h"
#include "driver/odbc/statement/stmt_handle.h"
#include "testing/conn_test_support.h"
#include "testing/server_backends.h"

namespace {

using States = std::vector<std::string>;

struct Database {
  const char* name;
  const char* dsn;
  const char* uid;
};
const Database kSqlite{"sqlite", "VelTx", "ann"};
const Database kPostgres{"postgres", "VelTxPg", "postgres"};

// A connected statement through the workers.
class Session : public ServerSession {
 public:
  explicit Session(const Database& db) : ServerSession(db.dsn, db.uid) {}
  void Run(const std::string& sql) {
    SQLRETURN rc = SQLExecDirectImpl(stmt(), Text(sql.c_str()), SQL_NTS);
    EXPECT_TRUE(SQL_SUCCEEDED(rc)) << sql << ": " << testing::PrintToString(Messages());
    SQLFreeStmtImpl(stmt(), SQL_CLOSE);
  }
  // The values of the first column, as text; the cursor is closed again so
  // that it holds no lock another connection waits for.
  std::vector<std::string> Column(const std::string& sql) {
    std::vector<std::string> values;
    SQLRETURN rc = SQLExecDirectImpl(stmt(), Text(sql.c_str()), SQL_NTS);
    EXPECT_TRUE(SQL_SUCCEEDED(rc)) << sql << ": " << testing::PrintToString(Messages());
    while (SQL_SUCCEEDED(rc) && SQL_SUCCEEDED(SQLFetchImpl(stmt()))) {
      char value[64] = {};
      SQLLEN length = 0;
      SQLGetDataImpl(stmt(), 1, SQL_C_CHAR, value, sizeof value, &length);
      values.emplace_back(length == SQL_NULL_DATA ? "NULL" : value);
    }
    SQLFreeStmtImpl(stmt(), SQL_CLOSE);
    return values;
  }
};

ServerBackends* const g_servers = AddServerBackends(kSqlite.dsn, kPostgres.dsn);

using BackendLossTest = ::testing::Test;

class TransactServerTest : public ::testing::TestWithParam<const Database*> {
 protected:
  void SetUp() override { g_servers->Require(GetParam()->dsn); }
  const Database& db() const { return *GetParam(); }
};

TEST_P(TransactServerTest, AutocommitOffCommitsAndRollsBack) {
  Session reader(db());
  ASSERT_TRUE(reader.ok()) << testing::PrintToString(reader.Messages());
  reader.Run("DROP TABLE IF EXISTS ledger");
  reader.Run("CREATE TABLE ledger (id INTEGER)");

  std::vector<std::string> committed;
  {
    Session writer(db());
    ASSERT_TRUE(writer.ok());
    ASSERT_EQ(SQLSetConnectOptionImpl(writer.conn(), SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF),
              SQL_SUCCESS);
    struct Step {
      const char* sql;   // run by the writer, then ended by `end`
      SQLUSMALLINT end;  // SQL_COMMIT or SQL_ROLLBACK
      const char* kept;  // the row the step adds for good, or null
    } const steps[] = {
        {"INSERT INTO ledger VALUES (1)", SQL_COMMIT, "1"},
        {"INSERT INTO ledger VALUES (2)", SQL_ROLLBACK, nullptr},
        {"UPDATE ledger SET id = 5 WHERE id = 1", SQL_ROLLBACK, nullptr},
        {"INSERT INTO ledger VALUES (3)", SQL_COMMIT, "3"},
    };
    for (const Step& step : steps) {
      SCOPED_TRACE(step.sql);
      writer.Run(step.sql);
      EXPECT_EQ(writer.conn()->state, kConnInTransaction);
      // Nothing of an open transaction is seen from outside it.
      EXPECT_EQ(reader.Column("SELECT id FROM ledger ORDER BY id"), committed);
      EXPECT_EQ(SQLTransactImpl(SQL_NULL_HENV, writer.conn(), step.end), SQL_SUCCESS);
      if (step.kept != nullptr) committed.emplace_back(step.kept);
      EXPECT_EQ(reader.Column("SELECT id FROM ledger ORDER BY id"), committed);
      EXPECT_EQ(writer.Column("SELECT id FROM ledger ORDER BY id"), committed);
      // The query began a transaction of its own.
      EXPECT_EQ(SQLTransactImpl(SQL_NULL_HENV, writer.conn(), SQL_COMMIT), SQL_SUCCESS);
    }
    // Work left open when the connection goes is not kept.
    writer.Run("INSERT INTO ledger VALUES (4)");
  }
  EXPECT_EQ(reader.Column("SELECT id FROM ledger ORDER BY id"), committed);
}

TEST_P(TransactServerTest, StatementTextReachesTheServerTranslated) {
  Session reader(db());
  ASSERT_TRUE(reader.ok()) << testing::PrintToString(reader.Messages());
  reader.Run("DROP TABLE IF EXISTS words");
  reader.Run("CREATE TABLE words (id INTEGER, word VARCHAR(20))");

  Session writer(db());
  ASSERT_TRUE(writer.ok());
  ASSERT_EQ(SQLSetConnectOptionImpl(writer.conn(), SQL_TRANSLATE_DLL,
                                    reinterpret_cast<SQLULEN>(VEL_XLAT_LIBRARY)),
            SQL_SUCCESS);
  enum Route { kDirect, kPrepared };
  struct Case {
    Route route;
    uint32_t option;  // 99: the library refuses
    SQLRETURN result;
    const char* state;  // the diagnostic of a refusal, "" for none
  } const cases[] = {
      {kDirect, 0, SQL_SUCCESS, ""},
      {kPrepared, 0, SQL_SUCCESS, ""},
      {kDirect, 99, SQL_ERROR, "IM009"},
      {kPrepared, 99, SQL_ERROR, "IM009"},
  };
  std::vector<std::string> stored;
  int id = 0;
  for (const Case& c : cases) {
    ++id;
    SCOPED_TRACE(std::to_string(id));
    ASSERT_EQ(SQLSetConnectOptionImpl(writer.conn(), SQL_TRANSLATE_OPTION, c.option), SQL_SUCCESS);
    const std::string given = "insert into words values (" + std::to_string(id) + ", 'word')";
    // Exactly the text's size, so a translation written back into it
    // would show.
    std::vector<char> text(given.begin(), given.end());
    text.push_back('\0');
    SQLRETURN rc = SQL_ERROR;
    if (c.route == kDirect) {
      rc = SQLExecDirectImpl(writer.stmt(), reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS);
    } else {
      rc = SQLPrepareImpl(writer.stmt(), reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS);
      if (SQL_SUCCEEDED(rc)) rc = SQLExecuteImpl(writer.stmt());
    }
    States messages = writer.Messages();
    EXPECT_EQ(rc, c.result) << testing::PrintToString(messages);
    if (c.state[0] != '\0') {
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0].substr(0, 5), c.state);
      EXPECT_NE(messages[0].find("Translation refused by the test library"), std::string::npos);
    } else {
      stored.emplace_back(std::to_string(id) + ":WORD");
    }
    EXPECT_EQ(std::string(text.data()), given);
    SQLFreeStmtImpl(writer.stmt(), SQL_CLOSE);
  }
  EXPECT_EQ(reader.Column("SELECT CAST(id AS VARCHAR(5)) || ':' || word FROM words ORDER BY id"),
            stored);
}

// A transaction whose backend connection died cannot be ended: neither a
// rollback nor a commit may report success, also after a statement learnt
// of the loss first (the backend's driver then answers the end with
// success).
TEST_F(BackendLossTest, EndingATransactionWhoseBackendDiedFails) {
  g_servers->Require(kPostgres.dsn);
  struct Case {
    SQLUSMALLINT end;
    bool statement_first;
  } const cases[] = {
      {SQL_ROLLBACK, false}, {SQL_ROLLBACK, true}, {SQL_COMMIT, false}, {SQL_COMMIT, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.end == SQL_ROLLBACK ? "rollback" : "commit") +
                 (c.statement_first ? " after a statement" : ""));
    Session killer(kPostgres);
    ASSERT_TRUE(killer.ok());
    killer.Run("CREATE TABLE IF NOT EXISTS orphans (id INTEGER)");
    Session writer(kPostgres);
    ASSERT_TRUE(writer.ok());
    ASSERT_EQ(SQLSetConnectOptionImpl(writer.conn(), SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF),
              SQL_SUCCESS);
    std::vector<std::string> pid = writer.Column("SELECT pg_backend_pid()");
    ASSERT_EQ(pid.size(), 1u);
    writer.Run("INSERT INTO orphans VALUES (1)");
    killer.Column("SELECT pg_terminate_backend(" + pid[0] + ")");
    if (c.statement_first) {
      EXPECT_EQ(SQLExecDirectImpl(writer.stmt(), Text("INSERT INTO orphans VALUES (2)"), SQL_NTS),
                SQL_ERROR);
      writer.Messages();
    }
    EXPECT_EQ(SQLTransactImpl(SQL_NULL_HENV, writer.conn(), c.end), SQL_ERROR);
    States messages = writer.ConnMessages();
    ASSERT_FALSE(messages.empty());
    if (c.statement_first) {
      EXPECT_EQ(messages[0].substr(0, 5), "57P01") << messages[0];
    }
  }
  Session reader(kPostgres);
  ASSERT_TRUE(reader.ok());
  EXPECT_TRUE(reader.Column("SELECT id FROM orphans").empty());
  reader.Run("DROP TABLE orphans");
}

INSTANTIATE_TEST_SUITE_P(Databases, TransactServerTest, ::testing::Values(&kSqlite, &kPostgres),
                         [](const ::testing::TestParamInfo<const Database*>& info) {
                           return std::string(info.param->name);
                         });

}  // namespace
