// The catalog functions through the call layer against the server in front
// of SQLite: what each leaves on the statement. The process gets private
// odbcinst.ini and odbc.ini files for the server's side before its first
// ODBC call (unixODBC reads them once per process).
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>
#include <stdlib.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/rec_array.h"
#include "driver/lna/lna_call.h"
#include "driver/lna/lna_records.h"
#include "driver/odbc/catalog/catalog_api.h"
#include "driver/odbc/catalog/tables_api.h"
#include "driver/odbc/catalog/type_info_api.h"
#include "driver/odbc/connect/connect_api.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/server_types.h"
#include "driver/odbc/diag/sql_error.h"
#include "driver/odbc/fetch/catalog_columns.h"
#include "driver/odbc/fetch/column_desc.h"
#include "driver/odbc/fetch/local_column.h"
#include "driver/odbc/statement/stmt_handle.h"
#include "server/listener.h"
#include "server/odbc_backend.h"
#include "testing/conn_test_support.h"
#include "testing/temp_dir.h"

namespace {

class OdbcFiles : public ::testing::Environment {
 public:
  void SetUp() override {
    dir_ = std::make_unique<TempDir>();
    dir_->Write("odbcinst.ini", "[CatalogSQLite]\nDriver = " VEL_SQLITE_ODBC_DRIVER "\n");
    dir_->Write("odbc.ini", "[catalog_sqlite]\nDriver = CatalogSQLite\nDatabase = " +
                                dir_->Path("catalog.db") + "\n");
    setenv("ODBCSYSINI", dir_->path().c_str(), 1);
    setenv("ODBCINI", dir_->Path("odbc.ini").c_str(), 1);
    // Kept resident: the driver manager's cache of the files stays
    // reachable for the leak check.
    installer_ = dlopen("libodbcinst.so.2", RTLD_NOW | RTLD_NODELETE);
    Execute("CREATE TABLE customers (id INTEGER PRIMARY KEY, name VARCHAR(40) NOT NULL)");
    Execute(
        "CREATE TABLE orders (id INTEGER PRIMARY KEY, customer INTEGER NOT NULL "
        "REFERENCES customers(id), placed TIMESTAMP)");
    Execute("CREATE INDEX orders_placed ON orders (placed)");
  }
  void TearDown() override { dir_.reset(); }

 private:
  // SQL on the database directly, through the driver manager.
  static void Execute(const char* sql) {
    SQLHENV env;
    SQLHDBC dbc;
    SQLHSTMT stmt;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)));
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc)));
    SQLCHAR dsn[] = "DSN=catalog_sqlite";
    ASSERT_TRUE(SQL_SUCCEEDED(
        SQLDriverConnect(dbc, nullptr, dsn, SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)));
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    EXPECT_TRUE(SQL_SUCCEEDED(
        SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql)), SQL_NTS)));
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
  }

  std::unique_ptr<TempDir> dir_;
  void* installer_ = nullptr;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new OdbcFiles);

velsrv::ServerConfig Config() {
  velsrv::ServerConfig c;
  c.port = 0;
  c.dsns = {{"sqlite", "SQLite catalog database", "DSN=catalog_sqlite"}};
  return c;
}

SQLCHAR* Text(const char* text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text));
}

class CatalogServerTest : public ::testing::Test {
 protected:
  CatalogServerTest() : listener_(Config(), backend_) {}

  void SetUp() override {
    ASSERT_TRUE(backend_.ok());
    std::string error;
    ASSERT_TRUE(listener_.Open(&error)) << error;
    listener_.Start();
    const std::string login =
        "ServerName=127.0.0.1." + std::to_string(listener_.port()) + ";ServerDSN=sqlite;";
    SQLRETURN connected = SQLDriverConnectImpl(conn(), nullptr, Text(login.c_str()), SQL_NTS,
                                               nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    ASSERT_TRUE(SQL_SUCCEEDED(connected)) << ::testing::PrintToString(fixture_.States());
    SQLHSTMT hstmt = nullptr;
    ASSERT_EQ(SQLAllocStmtImpl(conn(), &hstmt), SQL_SUCCESS);
    stmt_ = static_cast<DrvStmt*>(hstmt);
  }
  void TearDown() override {
    if (stmt_ != nullptr) {
      EXPECT_EQ(SQLFreeStmtImpl(stmt_, SQL_DROP), SQL_SUCCESS);
    }
    EXPECT_EQ(SQLDisconnectImpl(conn()), SQL_SUCCESS);
    listener_.Stop();
  }

  DrvConn* conn() { return fixture_.conn(); }
  // As a transport failure leaves it: every further call is refused.
  void BreakConnection() { conn()->lna->broken = 1; }
  DrvStmt* stmt() { return stmt_; }

  std::vector<std::string> StmtStates() { return ::StmtStates(stmt_); }

  // The names of the described result columns.
  std::vector<std::string> ColumnNames() {
    std::vector<std::string> names;
    if (stmt_->columns == nullptr) return names;
    for (uint32_t i = 0; i < ArrCount(stmt_->columns); ++i)
      names.emplace_back(static_cast<const ColumnDesc*>(ArrAt(stmt_->columns, i))->name);
    return names;
  }

  // Back to an allocated statement for the next call.
  void Close() {
    ASSERT_EQ(SQLFreeStmtImpl(stmt_, SQL_CLOSE), SQL_SUCCESS);
    DrvResetStmt(stmt_);
    stmt_->result_class = kResultNone;
  }

 private:
  ConnFixture fixture_;
  velsrv::OdbcBackend backend_;
  velsrv::Listener listener_;
  DrvStmt* stmt_ = nullptr;
};

TEST_F(CatalogServerTest, EveryCatalogFunctionDescribesItsResult) {
  struct Case {
    const char* name;
    std::function<SQLRETURN(DrvStmt*)> call;
    uint16_t kind;
    uint32_t min_columns;
    const char* third_column;  // as the server describes it
  };
  const Case cases[] = {
      {"tables",
       [](DrvStmt* s) {
         return SQLTablesImpl(s, nullptr, 0, nullptr, 0, Text("%"), SQL_NTS, Text("'TABLE'"),
                              SQL_NTS);
       },
       kKindTables, 5, "TABLE_NAME"},
      {"columns",
       [](DrvStmt* s) {
         return SQLColumnsImpl(s, nullptr, 0, nullptr, 0, Text("orders"), SQL_NTS, Text("%"),
                               SQL_NTS);
       },
       kKindColumns, 12, "TABLE_NAME"},
      {"statistics",
       [](DrvStmt* s) {
         return SQLStatisticsImpl(s, nullptr, 0, nullptr, 0, Text("orders"), SQL_NTS, SQL_INDEX_ALL,
                                  SQL_QUICK);
       },
       kKindStatistics, 13, "TABLE_NAME"},
      {"primary keys",
       [](DrvStmt* s) {
         return SQLPrimaryKeysImpl(s, nullptr, 0, nullptr, 0, Text("customers"), SQL_NTS);
       },
       kKindPrimaryKeys, 6, "TABLE_NAME"},
      {"foreign keys",
       [](DrvStmt* s) {
         return SQLForeignKeysImpl(s, nullptr, 0, nullptr, 0, Text("customers"), SQL_NTS, nullptr,
                                   0, nullptr, 0, Text("orders"), SQL_NTS);
       },
       kKindForeignKeys, 13, "PKTABLE_NAME"},
      {"special columns",
       [](DrvStmt* s) {
         return SQLSpecialColumnsImpl(s, SQL_BEST_ROWID, nullptr, 0, nullptr, 0, Text("orders"),
                                      SQL_NTS, SQL_SCOPE_SESSION, SQL_NULLABLE);
       },
       kKindSpecialColumns, 8, "DATA_TYPE"},
      {"procedures",
       [](DrvStmt* s) { return SQLProceduresImpl(s, nullptr, 0, nullptr, 0, Text("%"), SQL_NTS); },
       kKindProcedures, 8, "PROCEDURE_NAME"},
      {"procedure columns",
       [](DrvStmt* s) {
         return SQLProcedureColumnsImpl(s, nullptr, 0, nullptr, 0, Text("%"), SQL_NTS, Text("%"),
                                        SQL_NTS);
       },
       kKindProcedureColumns, 13, "PROCEDURE_NAME"},
      {"table privileges",
       [](DrvStmt* s) {
         return SQLTablePrivilegesImpl(s, nullptr, 0, nullptr, 0, Text("orders"), SQL_NTS);
       },
       kKindTablePrivileges, 7, "TABLE_NAME"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SQLRETURN result = c.call(stmt());
    ASSERT_TRUE(SQL_SUCCEEDED(result)) << result << ::testing::PrintToString(StmtStates());
    EXPECT_EQ(stmt()->state, kStmtResultOpen);
    EXPECT_EQ(stmt()->result_class, kResultRows);
    EXPECT_EQ(stmt()->result_kind, c.kind);
    EXPECT_EQ(stmt()->prepared, 0u);
    EXPECT_EQ(std::string(stmt()->cursor_name).rfind("SQL_CUR", 0), 0u);
    std::vector<std::string> names = ColumnNames();
    ASSERT_GE(names.size(), c.min_columns) << ::testing::PrintToString(names);
    EXPECT_EQ(names[2], c.third_column);
    // A second catalog call on the open result set is refused.
    EXPECT_EQ(c.call(stmt()), SQL_ERROR);
    EXPECT_EQ(StmtStates(), std::vector<std::string>{"24000"});
    EXPECT_EQ(stmt()->result_kind, c.kind);
    Close();
  }
}

TEST_F(CatalogServerTest, WhatTheDatabaseLacksFailsWithItsDiagnostic) {
  EXPECT_EQ(SQLColumnPrivilegesImpl(stmt(), nullptr, 0, nullptr, 0, Text("orders"), SQL_NTS,
                                    Text("%"), SQL_NTS),
            SQL_ERROR);
  std::vector<std::string> states = StmtStates();
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states[0], "IM001");
  EXPECT_EQ(stmt()->state, kStmtAllocated);
  EXPECT_LT(stmt()->result_class, kResultRows);
  EXPECT_EQ(stmt()->columns, nullptr);
}

TEST_F(CatalogServerTest, SpecialEnumerationsOfTables) {
  struct Case {
    const char* name;
    const char* qualifier;
    const char* owner;
    SQLSMALLINT owner_length;
    const char* table;
    const char* type;
    uint16_t kind;
  };
  const Case cases[] = {
      {"qualifiers", "%", "", SQL_NTS, "", nullptr, kKindQualifierList},
      {"owners", "", "%", SQL_NTS, "", nullptr, kKindOwnerList},
      {"owners, length 1", "", "%xyz", 1, "", nullptr, kKindOwnerList},
      {"qualifier % with a null owner", "%", nullptr, SQL_NTS, "", nullptr, kKindTables},
      {"table types", nullptr, nullptr, SQL_NTS, nullptr, "%", kKindTableTypeList},
      {"views by an unquoted list", nullptr, nullptr, SQL_NTS, "%", "view", kKindTables},
      {"a list naming nothing known", nullptr, nullptr, SQL_NTS, "%", "SYNONYM", kKindTables},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto arg = [](const char* s) { return s != nullptr ? Text(s) : nullptr; };
    SQLRETURN result = SQLTablesImpl(stmt(), arg(c.qualifier), SQL_NTS, arg(c.owner),
                                     c.owner_length, arg(c.table), SQL_NTS, arg(c.type), SQL_NTS);
    ASSERT_TRUE(SQL_SUCCEEDED(result)) << ::testing::PrintToString(StmtStates());
    EXPECT_EQ(stmt()->result_kind, c.kind);
    EXPECT_EQ(stmt()->state, kStmtResultOpen);
    ASSERT_NE(stmt()->columns, nullptr);
    EXPECT_GE(ArrCount(stmt()->columns), 5u);
    if (c.kind == kKindTableTypeList) {
      // Rows are the login's table types; the columns are local records.
      ASSERT_EQ(conn()->table_type_count, 2u);
      EXPECT_STREQ(conn()->table_types[0].name, "TABLE");
      EXPECT_EQ(static_cast<const ColumnDesc*>(ArrAt(stmt()->columns, 3))->length, 128u);
    } else {
      EXPECT_EQ(ColumnNames()[3], "TABLE_TYPE");
    }
    Close();
  }
}

TEST_F(CatalogServerTest, AnOutstandingEnumerationThatFailsLeavesNoResultSet) {
  stmt()->options.slot[kOptAsyncEnable] = SQL_ASYNC_ENABLE_ON;
  auto owners = [&](const char* owner) {
    return SQLTablesImpl(stmt(), Text(""), SQL_NTS, Text(owner), SQL_NTS, Text(""), SQL_NTS,
                         nullptr, 0);
  };
  ASSERT_EQ(owners("%"), SQL_STILL_EXECUTING) << ::testing::PrintToString(StmtStates());
  EXPECT_EQ(stmt()->state, kStmtResultOpen);
  EXPECT_EQ(stmt()->result_kind, kKindOwnerList);
  EXPECT_EQ(stmt()->pending_function, 54u);
  // Only the outstanding function may go on.
  EXPECT_EQ(SQLColumnsImpl(stmt(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0), SQL_ERROR);
  EXPECT_EQ(StmtStates(), std::vector<std::string>{"S1010"});
  EXPECT_EQ(SQLGetTypeInfoImpl(stmt(), SQL_ALL_TYPES), SQL_ERROR);
  EXPECT_EQ(StmtStates(), std::vector<std::string>{"S1010"});
  // The resumed call fails with the connection gone, whatever it passes.
  BreakConnection();
  EXPECT_EQ(owners("whatever"), SQL_ERROR);
  EXPECT_FALSE(StmtStates().empty());
  EXPECT_EQ(stmt()->state, kStmtAllocated);
  EXPECT_LT(stmt()->result_class, kResultRows);
  EXPECT_EQ(stmt()->columns, nullptr);
  EXPECT_EQ(stmt()->pending, 0u);
  // The call layer forgets its own outstanding call and the broken mark,
  // so that the statement and the login can go.
  conn()->lna->broken = 0;
  conn()->lna->async_state = kLnaAsyncIdle;
  conn()->lna->async_owner = nullptr;
  stmt()->lna->async_procedure = 0;
}

TEST_F(CatalogServerTest, NamesLongerThanTheServerAllowsAreRefused) {
  const std::string name(256, 'n');
  EXPECT_EQ(SQLColumnsImpl(stmt(), nullptr, 0, nullptr, 0, Text(name.c_str()), SQL_NTS, nullptr, 0),
            SQL_ERROR);
  EXPECT_EQ(StmtStates(), std::vector<std::string>{"S1090"});
  EXPECT_EQ(stmt()->state, kStmtAllocated);
}

TEST_F(CatalogServerTest, TypeInfoComesFromTheLogin) {
  ASSERT_GT(conn()->server_type_count, 0u);
  ASSERT_EQ(SQLGetTypeInfoImpl(stmt(), SQL_ALL_TYPES), SQL_SUCCESS);
  EXPECT_EQ(stmt()->result_kind, kKindTypeInfo);
  EXPECT_EQ(stmt()->type_list_selector, -1);
  EXPECT_EQ(ArrCount(stmt()->columns), 15u);
  Close();
  ASSERT_EQ(SQLGetTypeInfoImpl(stmt(), SQL_TYPE_TIMESTAMP), SQL_SUCCESS);
  ASSERT_GE(stmt()->type_list_selector, 0);
  EXPECT_EQ(conn()->type_descs[stmt()->type_list_selector].sql_type, SQL_TIMESTAMP);
  EXPECT_EQ(stmt()->fetch_status, 0);
}

}  // namespace
