// Catalog results fetched through the driver's workers against a velsrv on
// loopback, in front of SQLite and of a private PostgreSQL: the rows each
// catalog function brings back for tables with primary keys, foreign keys
// and indexes, as SQLGetData and bound columns hand them out, and the
// lists the driver serves from the login.
#include <gtest/gtest.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driver/odbc/catalog/catalog_api.h"
#include "driver/odbc/catalog/tables_api.h"
#include "driver/odbc/catalog/type_info_api.h"
#include "driver/odbc/connect/connect_api.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/server_types.h"
#include "driver/odbc/diag/sql_error.h"
#include "driver/odbc/fetch/column_binding.h"
#include "driver/odbc/fetch/result_set.h"
#include "driver/odbc/fetch/stmt_fetch.h"
#include "driver/odbc/statement/stmt_exec.h"
#include "driver/odbc/statement/stmt_handle.h"
#include "testing/conn_test_support.h"
#include "testing/server_backends.h"

namespace {

using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

struct Database {
  const char* name;
  const char* dsn;
  const char* uid;
};
const Database kSqlite{"sqlite", "VelCatalogRows", "ann"};
const Database kPostgres{"postgres", "VelCatalogRowsPg", "postgres"};

const char* const kSchema[] = {
    "CREATE TABLE customers (id INTEGER PRIMARY KEY, name VARCHAR(40) NOT NULL)",
    ("CREATE TABLE orders (id INTEGER PRIMARY KEY, customer INTEGER NOT NULL "
     "REFERENCES customers(id), placed TIMESTAMP)"),
    "CREATE INDEX orders_placed ON orders (placed)",
};

class Session : public ServerSession {
 public:
  explicit Session(const Database& db) : ServerSession(db.dsn, db.uid) {}

  // Every row of the open result set, the given columns read as text
  // ("NULL" for NULL); the cursor is closed afterwards.
  Rows Fetch(const std::vector<SQLUSMALLINT>& columns) {
    Rows rows;
    SQLRETURN rc;
    while ((rc = SQLFetchImpl(stmt())) == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) {
      Row row;
      for (SQLUSMALLINT icol : columns) {
        char value[300] = {};
        SQLLEN length = 0;
        SQLRETURN got = SQLGetDataImpl(stmt(), icol, SQL_C_CHAR, value, sizeof value, &length);
        EXPECT_TRUE(SQL_SUCCEEDED(got)) << icol << testing::PrintToString(Messages());
        row.push_back(length == SQL_NULL_DATA ? "NULL" : value);
      }
      rows.push_back(row);
      if (rows.size() > 1000) break;
    }
    EXPECT_EQ(rc, SQL_NO_DATA_FOUND) << testing::PrintToString(Messages());
    EXPECT_EQ(SQLFreeStmtImpl(stmt(), SQL_CLOSE), SQL_SUCCESS);
    return rows;
  }

  std::string ColumnName(SQLUSMALLINT icol) {
    char name[64] = {};
    SQLDescribeColImpl(stmt(), icol, reinterpret_cast<SQLCHAR*>(name), sizeof name, nullptr,
                       nullptr, nullptr, nullptr, nullptr);
    return name;
  }
};

ServerBackends* const g_servers = AddServerBackends(kSqlite.dsn, kPostgres.dsn);

class CatalogRowsTest : public ::testing::TestWithParam<const Database*> {
 protected:
  void SetUp() override {
    g_servers->Require(GetParam()->dsn);
    if (IsSkipped() || HasFatalFailure()) return;
    session_ = std::make_unique<Session>(*GetParam());
    ASSERT_TRUE(session_->ok()) << testing::PrintToString(session_->Messages());
    static std::vector<const Database*> made;
    if (std::find(made.begin(), made.end(), GetParam()) != made.end()) return;
    made.push_back(GetParam());
    for (const char* sql : kSchema) {
      SQLRETURN rc = SQLExecDirectImpl(stmt(), Text(sql), SQL_NTS);
      ASSERT_TRUE(SQL_SUCCEEDED(rc)) << sql << testing::PrintToString(session_->Messages());
      SQLFreeStmtImpl(stmt(), SQL_CLOSE);
    }
  }
  DrvStmt* stmt() const { return session_->stmt(); }
  Session& session() { return *session_; }

 private:
  std::unique_ptr<Session> session_;
};

bool HasRow(const Rows& rows, const Row& want) {
  return std::find(rows.begin(), rows.end(), want) != rows.end();
}

TEST_P(CatalogRowsTest, EveryCatalogFunctionBringsBackItsRows) {
  struct Case {
    const char* name;
    std::function<SQLRETURN(DrvStmt*)> call;
    std::vector<SQLUSMALLINT> read;
    const char* third_column;  // as the application is told
    Rows want;                 // rows that must be among those read
  };
  const Case cases[] = {
      {"tables",
       [](DrvStmt* s) {
         return SQLTablesImpl(s, nullptr, 0, nullptr, 0, Text("%"), SQL_NTS, nullptr, 0);
       },
       {3, 4},
       "TABLE_NAME",
       {{"customers", "TABLE"}, {"orders", "TABLE"}}},
      {"columns",
       [](DrvStmt* s) {
         return SQLColumnsImpl(s, nullptr, 0, nullptr, 0, Text("orders"), SQL_NTS, Text("%"),
                               SQL_NTS);
       },
       {3, 4, 5},
       "TABLE_NAME",
       {{"orders", "id", "4"}, {"orders", "customer", "4"}}},
      {"primary keys",
       [](DrvStmt* s) {
         return SQLPrimaryKeysImpl(s, nullptr, 0, nullptr, 0, Text("customers"), SQL_NTS);
       },
       {3, 4, 5},
       "TABLE_NAME",
       {{"customers", "id", "1"}}},
      {"foreign keys",
       [](DrvStmt* s) {
         return SQLForeignKeysImpl(s, nullptr, 0, nullptr, 0, Text("customers"), SQL_NTS, nullptr,
                                   0, nullptr, 0, Text("orders"), SQL_NTS);
       },
       {3, 4, 7, 8, 9},
       "PKTABLE_NAME",
       {{"customers", "id", "orders", "customer", "1"}}},
      {"statistics",
       [](DrvStmt* s) {
         return SQLStatisticsImpl(s, nullptr, 0, nullptr, 0, Text("orders"), SQL_NTS, SQL_INDEX_ALL,
                                  SQL_QUICK);
       },
       {3, 6, 9},
       "TABLE_NAME",
       {{"orders", "orders_placed", "placed"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SQLRETURN rc = c.call(stmt());
    ASSERT_TRUE(SQL_SUCCEEDED(rc)) << testing::PrintToString(session().Messages());
    EXPECT_EQ(session().ColumnName(3), c.third_column);
    Rows rows = session().Fetch(c.read);
    for (const Row& want : c.want)
      EXPECT_TRUE(HasRow(rows, want))
          << testing::PrintToString(want) << " not in " << testing::PrintToString(rows);
  }
}

TEST_P(CatalogRowsTest, BoundColumnsOfACatalogResult) {
  ASSERT_TRUE(SQL_SUCCEEDED(
      SQLColumnsImpl(stmt(), nullptr, 0, nullptr, 0, Text("customers"), SQL_NTS, nullptr, 0)));
  char name[64] = {};
  SQLLEN name_length = 0;
  SQLSMALLINT type = 0;
  SQLLEN type_length = 0;
  ASSERT_EQ(SQLBindColImpl(stmt(), 4, SQL_C_CHAR, name, sizeof name, &name_length), SQL_SUCCESS);
  ASSERT_EQ(SQLBindColImpl(stmt(), 5, SQL_C_SHORT, &type, 0, &type_length), SQL_SUCCESS);
  Rows rows;
  while (SQL_SUCCEEDED(SQLFetchImpl(stmt()))) rows.push_back({name, std::to_string(type)});
  EXPECT_EQ(rows, (Rows{{"id", "4"}, {"name", "12"}}));
  EXPECT_EQ(name_length, 4);
  EXPECT_EQ(SQLFreeStmtImpl(stmt(), SQL_UNBIND), SQL_SUCCESS);
  EXPECT_EQ(SQLFreeStmtImpl(stmt(), SQL_CLOSE), SQL_SUCCESS);
}

TEST_P(CatalogRowsTest, ListsServedFromTheLogin) {
  DrvConn* c = session().conn();
  ASSERT_EQ(SQLTablesImpl(stmt(), nullptr, 0, nullptr, 0, nullptr, 0, Text("%"), SQL_NTS),
            SQL_SUCCESS);
  EXPECT_EQ(session().ColumnName(4), "TABLE_TYPE");
  Rows want;
  for (uint32_t i = 0; i < c->table_type_count; ++i)
    want.push_back({"NULL", c->table_types[i].name, "NULL"});
  ASSERT_FALSE(want.empty());
  EXPECT_EQ(session().Fetch({1, 4, 5}), want);

  // A name read in pieces goes on where the previous piece stopped.
  ASSERT_EQ(SQLTablesImpl(stmt(), nullptr, 0, nullptr, 0, nullptr, 0, Text("%"), SQL_NTS),
            SQL_SUCCESS);
  ASSERT_EQ(SQLFetchImpl(stmt()), SQL_SUCCESS);
  std::string whole;
  char piece[3];
  SQLLEN length = 0;
  SQLRETURN rc;
  while ((rc = SQLGetDataImpl(stmt(), 4, SQL_C_CHAR, piece, sizeof piece, &length)) !=
         SQL_NO_DATA_FOUND) {
    ASSERT_TRUE(SQL_SUCCEEDED(rc));
    whole += piece;
    if (whole.size() > 100) break;
  }
  EXPECT_EQ(whole, c->table_types[0].name);
  EXPECT_EQ(SQLFreeStmtImpl(stmt(), SQL_CLOSE), SQL_SUCCESS);

  // Every data type, then those of one SQL type only.
  ASSERT_EQ(SQLGetTypeInfoImpl(stmt(), SQL_ALL_TYPES), SQL_SUCCESS);
  EXPECT_EQ(session().ColumnName(2), "DATA_TYPE");
  Rows all = session().Fetch({1, 2});
  ASSERT_FALSE(all.empty());
  size_t varchars = 0;
  for (const Row& row : all) {
    EXPECT_FALSE(row[0].empty()) << testing::PrintToString(row);
    if (row[1] == "12") ++varchars;
  }
  ASSERT_EQ(SQLGetTypeInfoImpl(stmt(), SQL_VARCHAR), SQL_SUCCESS);
  Rows varchar = session().Fetch({2, 3});
  EXPECT_EQ(varchar.size(), varchars);
  for (const Row& row : varchar) EXPECT_EQ(row[0], "12");
}

INSTANTIATE_TEST_SUITE_P(Databases, CatalogRowsTest, ::testing::Values(&kSqlite, &kPostgres),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
