// Parameters through the driver's workers against a velsrv on loopback, in
// front of SQLite and of a private PostgreSQL: which C type binds to which
// SQL type, the checks before execution, values of every type stored and
// compared at the server, data at execution in many pieces, output and
// input/output parameters, and the server's parameter descriptions.
#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "driver/odbc/connect/connect_api.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/diag/sql_error.h"
#include "driver/odbc/fetch/result_set.h"
#include "driver/odbc/fetch/stmt_fetch.h"
#include "driver/odbc/statement/cursor_name.h"
#include "driver/odbc/statement/data_at_exec.h"
#include "driver/odbc/statement/param_api.h"
#include "driver/odbc/statement/row_count.h"
#include "driver/odbc/statement/stmt_exec.h"
#include "driver/odbc/statement/stmt_handle.h"
#include "testing/conn_test_support.h"
#include "testing/server_backends.h"
#include "testing/temp_dir.h"

namespace {

using States = std::vector<std::string>;

// What differs between the two databases.
struct Database {
  const char* name;
  const char* dsn;
  const char* uid;
  const char* binary_type;
  const char* text_type;
  // A binary literal of the bytes 00 01 FF.
  const char* binary_literal;
  const char* bytes_length;  // the function giving a binary value's size
};
const Database kSqlite{"sqlite", "VelParams", "ann", "BLOB", "TEXT", "X'0001FF'", "length"};
const Database kPostgres{"postgres", "VelParamsPg",        "postgres",    "BYTEA",
                         "TEXT",     "'\\x0001ff'::bytea", "octet_length"};

// A connected statement through the workers.
class Session : public ServerSession {
 public:
  explicit Session(const Database& db) : ServerSession(db.dsn, db.uid) {}
  States StatesOnly() {
    States out;
    for (const std::string& m : Messages()) out.push_back(m.substr(0, 5));
    return out;
  }
  // Runs a text without parameters; SQL_SUCCESS expected.
  void Run(const std::string& sql) {
    SQLFreeStmtImpl(stmt(), SQL_RESET_PARAMS);
    SQLRETURN rc = SQLExecDirectImpl(stmt(), Text(sql.c_str()), SQL_NTS);
    EXPECT_TRUE(rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO)
        << sql << ": " << testing::PrintToString(Messages());
    SQLFreeStmtImpl(stmt(), SQL_CLOSE);
  }
  // The rows a text changed, or -2 when it failed.
  long Changed(const std::string& sql) {
    SQLFreeStmtImpl(stmt(), SQL_RESET_PARAMS);
    SQLRETURN rc = SQLExecDirectImpl(stmt(), Text(sql.c_str()), SQL_NTS);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
      ADD_FAILURE() << sql << ": " << testing::PrintToString(Messages());
      return -2;
    }
    SQLLEN rows = -3;
    SQLRowCountImpl(stmt(), &rows);
    SQLFreeStmtImpl(stmt(), SQL_CLOSE);
    return static_cast<long>(rows);
  }
  SQLRETURN Bind(SQLUSMALLINT n, SQLSMALLINT io, SQLSMALLINT c_type, SQLSMALLINT sql_type,
                 SQLULEN size, SQLSMALLINT scale, void* value, SQLLEN buffer, SQLLEN* ind) {
    return SQLBindParameterImpl(stmt(), n, io, c_type, sql_type, size, scale, value, buffer, ind);
  }
};

ServerBackends* const g_servers = AddServerBackends(kSqlite.dsn, kPostgres.dsn);

class ParamServerTest : public ::testing::TestWithParam<const Database*> {
 protected:
  void SetUp() override { g_servers->Require(GetParam()->dsn); }
  const Database& db() const { return *GetParam(); }
};

// The same for tests that need only one database.
class SqliteParamTest : public ParamServerTest {};
class PostgresParamTest : public ParamServerTest {};

bool Contains(const States& messages, const std::string& piece) {
  for (const std::string& m : messages)
    if (m.find(piece) != std::string::npos) return true;
  return false;
}

TEST_P(SqliteParamTest, WhichCTypeBindsToWhichSqlType) {
  Session s(db());
  ASSERT_TRUE(s.ok()) << testing::PrintToString(s.Messages());
  struct Case {
    SQLSMALLINT c_type;
    SQLSMALLINT sql_type;
    const char* state;  // "" when the binding is taken
  };
  const Case cases[] = {
      {SQL_C_CHAR, SQL_VARCHAR, ""},
      {SQL_C_CHAR, SQL_INTEGER, ""},
      {SQL_C_CHAR, SQL_DOUBLE, ""},
      {SQL_C_CHAR, SQL_DATE, ""},
      {SQL_C_CHAR, SQL_TIMESTAMP, ""},
      {SQL_C_CHAR, SQL_LONGVARBINARY, ""},
      {SQL_C_LONG, SQL_INTEGER, ""},
      {SQL_C_LONG, SQL_VARCHAR, ""},
      {SQL_C_LONG, SQL_DOUBLE, ""},
      {SQL_C_SHORT, SQL_SMALLINT, ""},
      {SQL_C_DOUBLE, SQL_DOUBLE, ""},
      {SQL_C_DOUBLE, SQL_INTEGER, ""},
      {SQL_C_FLOAT, SQL_DOUBLE, ""},
      {SQL_C_BIT, SQL_BIT, ""},
      {SQL_C_DATE, SQL_DATE, ""},
      {SQL_C_DATE, SQL_TIMESTAMP, ""},
      {SQL_C_TIMESTAMP, SQL_TIMESTAMP, ""},
      {SQL_C_TIMESTAMP, SQL_DATE, ""},
      {SQL_C_BINARY, SQL_LONGVARBINARY, ""},
      {SQL_C_BINARY, SQL_VARCHAR, ""},
      {SQL_C_DEFAULT, SQL_INTEGER, ""},
      // Binary columns take only text and bytes.
      {SQL_C_LONG, SQL_LONGVARBINARY, "07006"},
      {SQL_C_DOUBLE, SQL_LONGVARBINARY, "07006"},
      {SQL_C_DATE, SQL_LONGVARBINARY, "07006"},
      // Dates and times are no numbers, and numbers no dates.
      {SQL_C_DATE, SQL_INTEGER, "07006"},
      {SQL_C_TIME, SQL_DOUBLE, "07006"},
      {SQL_C_LONG, SQL_DATE, "07006"},
      {SQL_C_DOUBLE, SQL_TIMESTAMP, "07006"},
      {SQL_C_DATE, SQL_TIME, "07006"},
  };
  char buffer[64] = {};
  SQLLEN ind = 0;
  for (const Case& c : cases) {
    SQLRETURN rc =
        s.Bind(1, SQL_PARAM_INPUT, c.c_type, c.sql_type, 0, 0, buffer, sizeof buffer, &ind);
    std::string what = std::to_string(c.c_type) + " to " + std::to_string(c.sql_type);
    if (c.state[0] == '\0') {
      EXPECT_EQ(rc, SQL_SUCCESS) << what << testing::PrintToString(s.Messages());
    } else {
      EXPECT_EQ(rc, SQL_ERROR) << what;
      EXPECT_EQ(s.StatesOnly(), States{c.state}) << what;
    }
  }
}

TEST_P(SqliteParamTest, BindingRefusals) {
  Session s(db());
  ASSERT_TRUE(s.ok());
  char buffer[16] = {};
  SQLLEN ind = 0;
  struct Case {
    const char* what;
    SQLUSMALLINT number;
    SQLSMALLINT sql_type;
    SQLULEN size;
    SQLSMALLINT scale;
    SQLLEN buffer_length;
    const char* state;
  };
  const Case cases[] = {
      {"parameter 0", 0, SQL_VARCHAR, 10, 0, 16, "S1093"},
      {"a type the server lacks", 1, 123, 10, 0, 16, "S1C00"},
      {"a column size above the type's", 1, SQL_VARCHAR, SQLULEN{1} << 40, 0, 16, "S1104"},
      {"a buffer length the wire cannot carry", 1, SQL_VARCHAR, 10, 0, SQLLEN{1} << 33, "S1090"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(s.Bind(c.number, SQL_PARAM_INPUT, SQL_C_CHAR, c.sql_type, c.size, c.scale, buffer,
                     c.buffer_length, &ind),
              SQL_ERROR)
        << c.what;
    EXPECT_EQ(s.StatesOnly(), States{c.state}) << c.what;
  }
  // Wide text, as some applications bind it by default: the refusal says
  // which types were bound and what to bind instead.
  EXPECT_EQ(s.Bind(1, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 10, 0, buffer, 16, &ind),
            SQL_ERROR);
  std::vector<std::string> wide = s.Messages();
  ASSERT_EQ(wide.size(), 1u);
  EXPECT_NE(wide[0].find("SQL_C_WCHAR"), std::string::npos) << wide[0];
  EXPECT_NE(wide[0].find("SQL_C_CHAR"), std::string::npos) << wide[0];
  s.stmt()->pending = 1;
  EXPECT_EQ(s.Bind(1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0, buffer, 16, &ind),
            SQL_ERROR);
  EXPECT_EQ(s.StatesOnly(), States{"S1010"});
  s.stmt()->pending = 0;
}

TEST_P(SqliteParamTest, ChecksBeforeExecution) {
  Session s(db());
  ASSERT_TRUE(s.ok());
  s.Run("CREATE TABLE checks (a VARCHAR(10), b VARCHAR(10))");
  char text[32] = "abc";
  char eleven[] = "abcdefghijk";
  SQLLEN nts = SQL_NTS;
  SQLLEN five = 5;
  SQLLEN bad = -7;
  struct Binding {
    SQLUSMALLINT number;
    void* value;
    SQLULEN size;
    SQLLEN* ind;
  };
  struct Case {
    const char* what;
    std::vector<Binding> bindings;
    const char* state;
    const char* text;
  };
  const Case cases[] = {
      {"only the second bound", {{2, text, 10, &nts}}, "07001", "parameter #1."},
      {"a text longer than its column",
       {{1, eleven, 10, &nts}, {2, text, 10, &nts}},
       "22001",
       "Parameter #1. Data truncated."},
      {"no value with a length",
       {{1, nullptr, 10, &five}, {2, text, 10, &nts}},
       "S1090",
       "pcbValue must equal SQL_NULL_DATA"},
      {"a negative length",
       {{1, text, 10, &bad}, {2, text, 10, &nts}},
       "S1090",
       "Invalid value stored in pcbValue."},
  };
  for (const Case& c : cases) {
    SQLFreeStmtImpl(s.stmt(), SQL_RESET_PARAMS);
    for (const Binding& b : c.bindings) {
      ASSERT_EQ(
          s.Bind(b.number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, b.size, 0, b.value, 32, b.ind),
          SQL_SUCCESS)
          << c.what;
    }
    EXPECT_EQ(SQLExecDirectImpl(s.stmt(), Text("INSERT INTO checks VALUES (?, ?)"), SQL_NTS),
              SQL_ERROR)
        << c.what;
    States messages = s.Messages();
    ASSERT_EQ(messages.size(), 1u) << c.what << testing::PrintToString(messages);
    EXPECT_EQ(messages[0].substr(0, 5), c.state) << c.what;
    EXPECT_TRUE(Contains(messages, c.text)) << c.what << ": " << messages[0];
  }
  // Nothing reached the table.
  EXPECT_EQ(s.Changed("UPDATE checks SET a = a"), 0);
}

TEST_P(SqliteParamTest, TheServerDescribesTheParameters) {
  Session s(db());
  ASSERT_TRUE(s.ok());
  s.Run("CREATE TABLE described (a INTEGER, b VARCHAR(20))");
  ASSERT_EQ(SQLPrepareImpl(s.stmt(), Text("INSERT INTO described VALUES (?, ?)"), SQL_NTS),
            SQL_SUCCESS);
  SQLSMALLINT count = -1;
  EXPECT_EQ(SQLNumParamsImpl(s.stmt(), &count), SQL_SUCCESS);
  EXPECT_EQ(count, 2);
  SQLSMALLINT type = 0;
  SQLULEN size = 0;
  SQLSMALLINT scale = -1;
  SQLSMALLINT nullable = -1;
  EXPECT_EQ(SQLDescribeParamImpl(s.stmt(), 2, &type, &size, &scale, &nullable), SQL_SUCCESS);
  EXPECT_NE(type, 0);
  EXPECT_GE(scale, 0);
  EXPECT_TRUE(nullable == SQL_NO_NULLS || nullable == SQL_NULLABLE ||
              nullable == SQL_NULLABLE_UNKNOWN);
  EXPECT_EQ(SQLDescribeParamImpl(s.stmt(), 1, nullptr, nullptr, nullptr, nullptr), SQL_SUCCESS);
  for (SQLUSMALLINT beyond : {0, 3}) {
    EXPECT_EQ(SQLDescribeParamImpl(s.stmt(), beyond, &type, &size, &scale, &nullable), SQL_ERROR);
    EXPECT_EQ(s.StatesOnly(), States{"S1093"}) << beyond;
  }
}

// One value of every C type, stored and then compared at the server with
// literals, so that what arrived is what the application bound.
TEST_P(ParamServerTest, ValuesOfEveryTypeArriveAsBound) {
  Session s(db());
  ASSERT_TRUE(s.ok()) << testing::PrintToString(s.Messages());
  s.Run(
      "CREATE TABLE typed (id INTEGER, i INTEGER, sm SMALLINT, ti SMALLINT, bt SMALLINT, "
      "d DOUBLE PRECISION, r REAL, c VARCHAR(40), bin " +
      std::string(db().binary_type) + ", dt DATE, tm TIME, ts TIMESTAMP, dflt INTEGER)");
  SQLINTEGER id = 1;
  SQLINTEGER i = -123456;
  SQLSMALLINT sm = -1234;
  SQLSCHAR ti = -5;
  unsigned char bt = 1;
  double d = 1234.5;
  float r = 0.25f;
  char c[41] = "it's a text";
  unsigned char bin[3] = {0x00, 0x01, 0xFF};
  DATE_STRUCT dt{2024, 2, 29};
  TIME_STRUCT tm{23, 59, 58};
  TIMESTAMP_STRUCT ts{1999, 12, 31, 12, 34, 56, 0};
  SQLINTEGER dflt = 77;
  SQLLEN nts = SQL_NTS;
  SQLLEN three = 3;
  SQLLEN zero = 0;
  struct Binding {
    SQLSMALLINT c_type;
    SQLSMALLINT sql_type;
    SQLULEN size;
    void* value;
    SQLLEN* ind;
  };
  const Binding bindings[] = {
      {SQL_C_SLONG, SQL_INTEGER, 0, &id, nullptr},
      {SQL_C_LONG, SQL_INTEGER, 0, &i, &zero},
      {SQL_C_SHORT, SQL_SMALLINT, 0, &sm, nullptr},
      {SQL_C_STINYINT, SQL_SMALLINT, 0, &ti, nullptr},
      {SQL_C_BIT, SQL_SMALLINT, 0, &bt, nullptr},
      {SQL_C_DOUBLE, SQL_DOUBLE, 0, &d, nullptr},
      {SQL_C_FLOAT, SQL_DOUBLE, 0, &r, nullptr},
      {SQL_C_CHAR, SQL_VARCHAR, 40, c, &nts},
      {SQL_C_BINARY, SQL_LONGVARBINARY, 0, bin, &three},
      {SQL_C_DATE, SQL_DATE, 0, &dt, nullptr},
      {SQL_C_TIME, SQL_TIME, 0, &tm, nullptr},
      {SQL_C_TIMESTAMP, SQL_TIMESTAMP, 0, &ts, nullptr},
      {SQL_C_DEFAULT, SQL_INTEGER, 0, &dflt, nullptr},
  };
  SQLUSMALLINT n = 0;
  for (const Binding& b : bindings) {
    ++n;
    ASSERT_EQ(s.Bind(n, SQL_PARAM_INPUT, b.c_type, b.sql_type, b.size, 0, b.value, 41, b.ind),
              SQL_SUCCESS)
        << n << testing::PrintToString(s.Messages());
  }
  const char* insert = "INSERT INTO typed VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
  ASSERT_EQ(SQLPrepareImpl(s.stmt(), Text(insert), SQL_NTS), SQL_SUCCESS)
      << testing::PrintToString(s.Messages());
  ASSERT_EQ(SQLExecuteImpl(s.stmt()), SQL_SUCCESS) << testing::PrintToString(s.Messages());
  SQLLEN rows = 0;
  EXPECT_EQ(SQLRowCountImpl(s.stmt(), &rows), SQL_SUCCESS);
  EXPECT_EQ(rows, 1);

  // The same bindings once more, all NULL, by direct execution.
  id = 2;
  SQLLEN null_data = SQL_NULL_DATA;
  n = 1;
  for (const Binding& b : bindings) {
    if (n > 1) {
      ASSERT_EQ(
          s.Bind(n, SQL_PARAM_INPUT, b.c_type, b.sql_type, b.size, 0, b.value, 41, &null_data),
          SQL_SUCCESS);
    }
    ++n;
  }
  ASSERT_EQ(SQLExecDirectImpl(s.stmt(), Text(insert), SQL_NTS), SQL_SUCCESS)
      << testing::PrintToString(s.Messages());

  // SQLite keeps a timestamp as the text its driver wrote, fraction and all.
  std::string ts_condition = db().name == std::string("sqlite")
                                 ? "substr(ts, 1, 19) = '1999-12-31 12:34:56'"
                                 : "ts = '1999-12-31 12:34:56'::timestamp";
  std::string dt_literal =
      db().name == std::string("sqlite") ? "'2024-02-29'" : "'2024-02-29'::date";
  std::string tm_literal = db().name == std::string("sqlite") ? "'23:59:58'" : "'23:59:58'::time";
  const std::string stored[] = {"i = -123456",
                                "sm = -1234",
                                "ti = -5",
                                "bt = 1",
                                "d = 1234.5",
                                "r = 0.25",
                                "c = 'it''s a text'",
                                "bin = " + std::string(db().binary_literal),
                                "dt = " + dt_literal,
                                "tm = " + tm_literal,
                                ts_condition,
                                "dflt = 77"};
  for (const std::string& condition : stored)
    EXPECT_EQ(s.Changed("UPDATE typed SET id = id WHERE id = 1 AND " + condition), 1) << condition;
  EXPECT_EQ(s.Changed("UPDATE typed SET id = id WHERE id = 2 AND i IS NULL AND sm IS NULL AND "
                      "ti IS NULL AND bt IS NULL AND d IS NULL AND r IS NULL AND c IS NULL AND "
                      "bin IS NULL AND dt IS NULL AND tm IS NULL AND ts IS NULL AND dflt IS NULL"),
            1);
}

// What applications bind beyond the plain types: 64-bit integers, texts
// longer than the backend driver's nominal varchar size, and decimals.
TEST_P(ParamServerTest, WideIntegersLongTextsAndDecimals) {
  Session s(db());
  ASSERT_TRUE(s.ok());
  s.Run("CREATE TABLE wide (n INTEGER, big BIGINT, t " + std::string(db().text_type) +
        ", v VARCHAR(80000), d DECIMAL(20, 4), num NUMERIC(12, 2))");
  SQLINTEGER n = 1;
  int64_t big = -9007199254740993;
  uint64_t ubig = 4294967296u;
  std::string text(70000, 'x');
  text[69999] = 'y';
  char decimal[] = "1234567890123.4567";
  char numeric[] = "-12.5";
  SQLLEN nts = SQL_NTS;
  ASSERT_EQ(s.Bind(1, SQL_PARAM_INPUT, SQL_C_LONG, SQL_INTEGER, 0, 0, &n, 0, nullptr), SQL_SUCCESS);
  ASSERT_EQ(s.Bind(2, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &big, 0, nullptr),
            SQL_SUCCESS)
      << testing::PrintToString(s.Messages());
  for (SQLSMALLINT sql_type : {SQL_LONGVARCHAR, SQL_VARCHAR}) {
    ASSERT_EQ(s.Bind(sql_type == SQL_VARCHAR ? 4 : 3, SQL_PARAM_INPUT, SQL_C_CHAR, sql_type,
                     text.size(), 0, text.data(), 0, &nts),
              SQL_SUCCESS)
        << sql_type << testing::PrintToString(s.Messages());
  }
  ASSERT_EQ(s.Bind(5, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_DECIMAL, 20, 4, decimal, 0, &nts),
            SQL_SUCCESS)
      << testing::PrintToString(s.Messages());
  ASSERT_EQ(s.Bind(6, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_NUMERIC, 12, 2, numeric, 0, &nts),
            SQL_SUCCESS)
      << testing::PrintToString(s.Messages());
  ASSERT_EQ(
      SQLExecDirectImpl(s.stmt(), Text("INSERT INTO wide VALUES (?, ?, ?, ?, ?, ?)"), SQL_NTS),
      SQL_SUCCESS)
      << testing::PrintToString(s.Messages());
  n = 2;
  ASSERT_EQ(s.Bind(2, SQL_PARAM_INPUT, SQL_C_UBIGINT, SQL_BIGINT, 0, 0, &ubig, 0, nullptr),
            SQL_SUCCESS);
  ASSERT_EQ(
      SQLExecDirectImpl(s.stmt(), Text("INSERT INTO wide VALUES (?, ?, ?, ?, ?, ?)"), SQL_NTS),
      SQL_SUCCESS)
      << testing::PrintToString(s.Messages());
  const std::string length = db().name == std::string("sqlite") ? "length" : "char_length";
  const std::string stored[] = {
      "n = 1 AND big = -9007199254740993",
      "n = 2 AND big = 4294967296",
      length + "(t) = 70000 AND " + length + "(v) = 70000 AND substr(v, 70000, 1) = 'y'",
      "d = 1234567890123.4567 AND num = -12.5",
  };
  for (const std::string& condition : stored)
    EXPECT_GE(s.Changed("UPDATE wide SET n = n WHERE " + condition), 1) << condition;
  // A 64-bit integer only goes to the server.
  EXPECT_EQ(s.Bind(2, SQL_PARAM_OUTPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &big, 0, nullptr),
            SQL_ERROR);
  EXPECT_EQ(s.StatesOnly(), States{"07006"});
}

// As PHP binds: with the type and size SQLDescribeParam gave. The size is
// what the database takes, not its ODBC driver's nominal maximum (8190
// characters for psqlODBC's text, 65536 for SQLite's), or a longer value
// would be refused before it is sent.
TEST_P(ParamServerTest, ATextTakesTheSizeItsParameterIsDescribedWith) {
  Session s(db());
  ASSERT_TRUE(s.ok());
  s.Run("CREATE TABLE described_text (t " + std::string(db().text_type) + ")");
  ASSERT_EQ(SQLPrepareImpl(s.stmt(), Text("INSERT INTO described_text VALUES (?)"), SQL_NTS),
            SQL_SUCCESS)
      << testing::PrintToString(s.Messages());
  SQLSMALLINT type = 0;
  SQLULEN size = 0;
  SQLSMALLINT scale = 0;
  SQLSMALLINT nullable = 0;
  ASSERT_EQ(SQLDescribeParamImpl(s.stmt(), 1, &type, &size, &scale, &nullable), SQL_SUCCESS);
  EXPECT_GE(size, 70000u) << type;
  std::string text(70000, 'p');
  SQLLEN nts = SQL_NTS;
  ASSERT_EQ(s.Bind(1, SQL_PARAM_INPUT, SQL_C_CHAR, type, size, scale, text.data(), 0, &nts),
            SQL_SUCCESS)
      << testing::PrintToString(s.Messages());
  ASSERT_EQ(SQLExecuteImpl(s.stmt()), SQL_SUCCESS) << testing::PrintToString(s.Messages());
  const std::string length = db().name == std::string("sqlite") ? "length" : "char_length";
  EXPECT_EQ(s.Changed("UPDATE described_text SET t = t WHERE " + length + "(t) = 70000"), 1);
}

// A prepared query is described, once it ran, as the backend describes it
// then: SQLite knows an expression's type only when it makes a row, and
// guesses text at prepare. A later execution with data at execution, which
// runs the server's prepared statement, still finds one.
TEST_P(ParamServerTest, APreparedQueryIsDescribedAsItRan) {
  Session s(db());
  ASSERT_TRUE(s.ok());
  struct Case {
    const char* sql;
    bool parameter;
  } cases[] = {{"SELECT length(?)", true}, {"SELECT length('abc')", false}};
  char value[] = "abc";
  SQLLEN nts = SQL_NTS;
  auto read_one = [&](SQLINTEGER want) {
    SQLSMALLINT type = 0;
    EXPECT_EQ(SQLDescribeColImpl(s.stmt(), 1, nullptr, 0, nullptr, &type, nullptr, nullptr,
                                 nullptr),
              SQL_SUCCESS);
    SQLINTEGER n = 0;
    EXPECT_EQ(SQLFetchImpl(s.stmt()), SQL_SUCCESS) << testing::PrintToString(s.Messages());
    EXPECT_EQ(SQLGetDataImpl(s.stmt(), 1, SQL_C_LONG, &n, 0, nullptr), SQL_SUCCESS);
    EXPECT_EQ(n, want);
    EXPECT_EQ(SQLFreeStmtImpl(s.stmt(), SQL_CLOSE), SQL_SUCCESS);
    return type;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    SQLFreeStmtImpl(s.stmt(), SQL_RESET_PARAMS);
    ASSERT_EQ(SQLPrepareImpl(s.stmt(), Text(c.sql), SQL_NTS), SQL_SUCCESS);
    if (c.parameter) {
      ASSERT_EQ(s.Bind(1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 3, 0, value, 4, &nts),
                SQL_SUCCESS);
    }
    for (int run = 1; run <= 2; ++run) {
      ASSERT_EQ(SQLExecuteImpl(s.stmt()), SQL_SUCCESS)
          << run << testing::PrintToString(s.Messages());
      EXPECT_EQ(read_one(3), SQL_INTEGER) << run;
    }
  }
  ASSERT_EQ(SQLPrepareImpl(s.stmt(), Text("SELECT length(?)"), SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(s.Bind(1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 3, 0, value, 4, &nts),
            SQL_SUCCESS);
  ASSERT_EQ(SQLExecuteImpl(s.stmt()), SQL_SUCCESS) << testing::PrintToString(s.Messages());
  EXPECT_EQ(read_one(3), SQL_INTEGER);
  SQLLEN at_exec = SQL_DATA_AT_EXEC;
  ASSERT_EQ(s.Bind(1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0, value, 0, &at_exec),
            SQL_SUCCESS);
  ASSERT_EQ(SQLExecuteImpl(s.stmt()), SQL_NEED_DATA) << testing::PrintToString(s.Messages());
  SQLPOINTER token = nullptr;
  ASSERT_EQ(SQLParamDataImpl(s.stmt(), &token), SQL_NEED_DATA)
      << testing::PrintToString(s.Messages());
  ASSERT_EQ(SQLPutDataImpl(s.stmt(), Text("abcd"), SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(SQLParamDataImpl(s.stmt(), &token), SQL_SUCCESS)
      << testing::PrintToString(s.Messages());
  read_one(4);
}

TEST_P(ParamServerTest, TextLengthsFromTheIndicator) {
  Session s(db());
  ASSERT_TRUE(s.ok());
  s.Run("CREATE TABLE texts (n INTEGER, t VARCHAR(20))");
  char value[] = "abcdef";
  SQLINTEGER n = 0;
  struct Case {
    SQLLEN ind;
    bool no_indicator;
    const char* stored;
  };
  const Case cases[] = {
      {SQL_NTS, false, "abcdef"},
      {3, false, "abc"},
      {0, false, ""},
      {0, true, "abcdef"},  // no indicator: a terminated text
  };
  for (const Case& c : cases) {
    ++n;
    SQLLEN ind = c.ind;
    ASSERT_EQ(s.Bind(1, SQL_PARAM_INPUT, SQL_C_LONG, SQL_INTEGER, 0, 0, &n, 0, nullptr),
              SQL_SUCCESS);
    ASSERT_EQ(s.Bind(2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 20, 0, value, 7,
                     c.no_indicator ? nullptr : &ind),
              SQL_SUCCESS);
    ASSERT_EQ(SQLExecDirectImpl(s.stmt(), Text("INSERT INTO texts VALUES (?, ?)"), SQL_NTS),
              SQL_SUCCESS)
        << n << testing::PrintToString(s.Messages());
    EXPECT_EQ(s.Changed("UPDATE texts SET n = n WHERE n = " + std::to_string(n) + " AND t = '" +
                        c.stored + "'"),
              1)
        << n;
  }
  EXPECT_STREQ(value, "abcdef");  // the application's buffer is left alone
}

// Pieces of every size: a text and a binary value above 1 MB, a piece above
// the size of one request, and a number, all at execution.
TEST_P(ParamServerTest, DataAtExecutionInManyPieces) {
  Session s(db());
  ASSERT_TRUE(s.ok());
  s.Run("CREATE TABLE pieces (id INTEGER, t " + std::string(db().text_type) + ", b " +
        db().binary_type + ", n INTEGER)");
  SQLINTEGER id = 1;
  SQLLEN long_text = SQL_LEN_DATA_AT_EXEC(0);
  SQLLEN long_binary = SQL_DATA_AT_EXEC;
  SQLLEN number_ind = SQL_DATA_AT_EXEC;
  char token_t = 't';
  char token_b = 'b';
  char token_n = 'n';
  ASSERT_EQ(s.Bind(1, SQL_PARAM_INPUT, SQL_C_LONG, SQL_INTEGER, 0, 0, &id, 0, nullptr),
            SQL_SUCCESS);
  ASSERT_EQ(s.Bind(2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_LONGVARCHAR, 0, 0, &token_t, 0, &long_text),
            SQL_SUCCESS)
      << testing::PrintToString(s.Messages());
  ASSERT_EQ(
      s.Bind(3, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY, 0, 0, &token_b, 0, &long_binary),
      SQL_SUCCESS);
  ASSERT_EQ(s.Bind(4, SQL_PARAM_INPUT, SQL_C_LONG, SQL_INTEGER, 0, 0, &token_n, 0, &number_ind),
            SQL_SUCCESS);
  ASSERT_EQ(SQLPrepareImpl(s.stmt(), Text("INSERT INTO pieces VALUES (?, ?, ?, ?)"), SQL_NTS),
            SQL_SUCCESS)
      << testing::PrintToString(s.Messages());
  ASSERT_EQ(SQLExecuteImpl(s.stmt()), SQL_NEED_DATA) << testing::PrintToString(s.Messages());

  const std::string text_pieces[] = {"head-", std::string(40000, 'x'), std::string(1100000, 'y'),
                                     "-tail"};
  std::string binary(1200000, '\0');
  for (size_t k = 0; k < binary.size(); ++k) binary[k] = static_cast<char>(k % 251);
  SQLINTEGER number = 4242;

  SQLPOINTER token = nullptr;
  ASSERT_EQ(SQLParamDataImpl(s.stmt(), &token), SQL_NEED_DATA)
      << testing::PrintToString(s.Messages());
  EXPECT_EQ(token, &token_t);
  // Before a piece, the next parameter cannot be asked for.
  for (const std::string& piece : text_pieces) {
    ASSERT_EQ(SQLPutDataImpl(s.stmt(), const_cast<char*>(piece.data()),
                             static_cast<SQLLEN>(piece.size())),
              SQL_SUCCESS)
        << testing::PrintToString(s.Messages());
  }
  ASSERT_EQ(SQLParamDataImpl(s.stmt(), &token), SQL_NEED_DATA);
  EXPECT_EQ(token, &token_b);
  for (size_t at = 0; at < binary.size(); at += 300001) {
    SQLLEN n = static_cast<SQLLEN>(std::min<size_t>(300001, binary.size() - at));
    ASSERT_EQ(SQLPutDataImpl(s.stmt(), &binary[at], n), SQL_SUCCESS)
        << testing::PrintToString(s.Messages());
  }
  ASSERT_EQ(SQLParamDataImpl(s.stmt(), &token), SQL_NEED_DATA);
  EXPECT_EQ(token, &token_n);
  ASSERT_EQ(SQLPutDataImpl(s.stmt(), &number, 0), SQL_SUCCESS);
  // A number comes in one piece.
  EXPECT_EQ(SQLPutDataImpl(s.stmt(), &number, 0), SQL_ERROR);
  EXPECT_EQ(s.StatesOnly(), States{"22003"});
  ASSERT_EQ(SQLParamDataImpl(s.stmt(), &token), SQL_SUCCESS)
      << testing::PrintToString(s.Messages());
  SQLLEN rows = 0;
  EXPECT_EQ(SQLRowCountImpl(s.stmt(), &rows), SQL_SUCCESS);
  EXPECT_EQ(rows, 1);
  // The execution is over.
  EXPECT_EQ(SQLParamDataImpl(s.stmt(), &token), SQL_ERROR);
  EXPECT_EQ(s.StatesOnly(), States{"S1010"});

  size_t text_length = 0;
  for (const std::string& piece : text_pieces) text_length += piece.size();
  std::string length = db().bytes_length;
  EXPECT_EQ(s.Changed("UPDATE pieces SET id = id WHERE id = 1 AND length(t) = " +
                      std::to_string(text_length) +
                      " AND substr(t, 1, 6) = 'head-x' AND substr(t, 40005, 2) = 'xy' AND "
                      "substr(t, " +
                      std::to_string(text_length - 5) + ", 6) = 'y-tail' AND " + length +
                      "(b) = " + std::to_string(binary.size()) + " AND n = 4242"),
            1);
  // The bytes themselves: the first and the last three.
  std::string tail_literal = db().name == std::string("sqlite") ? "X'" : "'\\x";
  const char* hex = "0123456789ABCDEF";
  for (size_t k = binary.size() - 3; k < binary.size(); ++k) {
    auto v = static_cast<unsigned char>(binary[k]);
    tail_literal += hex[v >> 4];
    tail_literal += hex[v & 15];
  }
  tail_literal += db().name == std::string("sqlite") ? "'" : "'::bytea";
  std::string tail_expr = db().name == std::string("sqlite")
                              ? "substr(b, " + std::to_string(binary.size() - 2) + ", 3)"
                              : "substring(b from " + std::to_string(binary.size() - 2) + " for 3)";
  EXPECT_EQ(
      s.Changed("UPDATE pieces SET id = id WHERE id = 1 AND " + tail_expr + " = " + tail_literal),
      1);
}

TEST_P(ParamServerTest, DataAtExecutionOutOfOrder) {
  Session s(db());
  ASSERT_TRUE(s.ok());
  s.Run("CREATE TABLE sequence (t VARCHAR(50), u VARCHAR(50))");
  SQLLEN at_exec = SQL_DATA_AT_EXEC;
  char token = 0;
  ASSERT_EQ(s.Bind(1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 50, 0, &token, 0, &at_exec),
            SQL_SUCCESS);
  ASSERT_EQ(s.Bind(2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 50, 0, &token, 0, &at_exec),
            SQL_SUCCESS);
  // SQLPutData before any parameter was named, then SQLParamData twice.
  EXPECT_EQ(SQLExecDirectImpl(s.stmt(), Text("INSERT INTO sequence VALUES (?, ?)"), SQL_NTS),
            SQL_NEED_DATA);
  EXPECT_EQ(SQLPutDataImpl(s.stmt(), Text("x"), SQL_NTS), SQL_ERROR);
  EXPECT_EQ(s.StatesOnly(), States{"S1010"});
  SQLPOINTER got = nullptr;
  ASSERT_EQ(SQLParamDataImpl(s.stmt(), &got), SQL_NEED_DATA);
  // A negative length is no length.
  EXPECT_EQ(SQLPutDataImpl(s.stmt(), Text("x"), -7), SQL_ERROR);
  EXPECT_EQ(s.StatesOnly(), States{"S1090"});
  EXPECT_EQ(SQLParamDataImpl(s.stmt(), &got), SQL_ERROR);
  EXPECT_EQ(s.StatesOnly(), States{"S1010"});
  // A new execution starts over; NULL and a terminated text go as pieces.
  SQLFreeStmtImpl(s.stmt(), SQL_CLOSE);
  EXPECT_EQ(SQLExecDirectImpl(s.stmt(), Text("INSERT INTO sequence VALUES (?, ?)"), SQL_NTS),
            SQL_NEED_DATA)
      << testing::PrintToString(s.Messages());
  ASSERT_EQ(SQLParamDataImpl(s.stmt(), &got), SQL_NEED_DATA);
  ASSERT_EQ(SQLPutDataImpl(s.stmt(), nullptr, SQL_NULL_DATA), SQL_SUCCESS);
  ASSERT_EQ(SQLParamDataImpl(s.stmt(), &got), SQL_NEED_DATA);
  ASSERT_EQ(SQLPutDataImpl(s.stmt(), Text("second"), SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(SQLParamDataImpl(s.stmt(), &got), SQL_SUCCESS) << testing::PrintToString(s.Messages());
  EXPECT_EQ(s.Changed("UPDATE sequence SET u = u WHERE t IS NULL AND u = 'second'"), 1);
}

// Output, input/output and return values of PostgreSQL routines.
TEST_P(PostgresParamTest, OutputAndInputOutputParameters) {
  Session s(db());
  ASSERT_TRUE(s.ok());
  s.Run(
      "CREATE OR REPLACE FUNCTION vel_twice(x integer) RETURNS integer AS "
      "'SELECT x * 2' LANGUAGE SQL");
  s.Run(
      "CREATE OR REPLACE FUNCTION vel_grow(INOUT n integer, INOUT t varchar) AS "
      "$$ BEGIN n := n + 1; t := t || '-grown'; END $$ LANGUAGE plpgsql");

  SQLINTEGER result = 0;
  SQLLEN result_ind = 99;
  SQLINTEGER x = 21;
  SQLLEN x_ind = 0;
  ASSERT_EQ(s.Bind(1, SQL_PARAM_OUTPUT, SQL_C_LONG, SQL_INTEGER, 0, 0, &result, 0, &result_ind),
            SQL_SUCCESS);
  ASSERT_EQ(s.Bind(2, SQL_PARAM_INPUT, SQL_C_LONG, SQL_INTEGER, 0, 0, &x, 0, &x_ind), SQL_SUCCESS);
  SQLRETURN rc = SQLExecDirectImpl(s.stmt(), Text("{? = call vel_twice(?)}"), SQL_NTS);
  ASSERT_TRUE(rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO)
      << testing::PrintToString(s.Messages());
  EXPECT_EQ(result, 42);
  EXPECT_EQ(result_ind, 4);
  SQLFreeStmtImpl(s.stmt(), SQL_CLOSE);
  // New values, a NULL among them.
  struct Run {
    SQLINTEGER x;
    SQLLEN x_ind;
    SQLINTEGER result;
    SQLLEN result_ind;
  };
  for (const Run& run :
       {Run{5, 0, 10, 4}, Run{0, SQL_NULL_DATA, -1, SQL_NULL_DATA}, Run{-8, 0, -16, 4}}) {
    x = run.x;
    x_ind = run.x_ind;
    result = -1;
    result_ind = 99;
    rc = SQLExecDirectImpl(s.stmt(), Text("{? = call vel_twice(?)}"), SQL_NTS);
    EXPECT_TRUE(rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO)
        << run.x << testing::PrintToString(s.Messages());
    EXPECT_EQ(result, run.result) << run.x;
    EXPECT_EQ(result_ind, run.result_ind) << run.x;
    SQLFreeStmtImpl(s.stmt(), SQL_CLOSE);
  }
  SQLFreeStmtImpl(s.stmt(), SQL_RESET_PARAMS);

  struct Case {
    const char* what;
    SQLLEN buffer;
    const char* input;
    const char* returned;  // what the application's buffer holds
    SQLLEN length;         // and its indicator
    SQLRETURN code;
  };
  const Case cases[] = {
      {"room enough", 32, "abc", "abc-grown", 9, SQL_SUCCESS},
      // The value is longer than its buffer: the copy that goes out holds
      // the whole of it, and the answer is cut to the buffer.
      {"an input longer than the buffer", 8, "abcdefghij", "abcdefg", 16, SQL_SUCCESS_WITH_INFO},
  };
  for (const Case& c : cases) {
    SQLINTEGER n = 5;
    char text[64] = {};
    std::memset(text, '#', sizeof text - 1);
    std::memcpy(text, c.input, std::strlen(c.input));
    const std::string before(text, sizeof text);
    SQLLEN text_ind = static_cast<SQLLEN>(std::strlen(c.input));
    SQLLEN n_ind = 0;
    ASSERT_EQ(s.Bind(1, SQL_PARAM_INPUT_OUTPUT, SQL_C_LONG, SQL_INTEGER, 0, 0, &n, 0, &n_ind),
              SQL_SUCCESS);
    ASSERT_EQ(s.Bind(2, SQL_PARAM_INPUT_OUTPUT, SQL_C_CHAR, SQL_VARCHAR, 40, 0, text, c.buffer,
                     &text_ind),
              SQL_SUCCESS);
    rc = SQLExecDirectImpl(s.stmt(), Text("{call vel_grow(?, ?)}"), SQL_NTS);
    EXPECT_EQ(rc, c.code) << c.what << testing::PrintToString(s.Messages());
    EXPECT_EQ(n, 6) << c.what;
    EXPECT_STREQ(text, c.returned) << c.what;
    // Nothing past the buffer.
    EXPECT_EQ(std::string(text + c.buffer, sizeof text - c.buffer), before.substr(c.buffer))
        << c.what;
    if (c.code == SQL_SUCCESS_WITH_INFO) {
      EXPECT_TRUE(Contains(s.StatesOnly(), "01004")) << c.what;
      EXPECT_GE(text_ind, c.buffer) << c.what;
    } else {
      EXPECT_EQ(text_ind, c.length) << c.what;
    }
    SQLFreeStmtImpl(s.stmt(), SQL_CLOSE);
  }
}

INSTANTIATE_TEST_SUITE_P(Databases, ParamServerTest, ::testing::Values(&kSqlite, &kPostgres),
                         [](const auto& info) { return std::string(info.param->name); });
INSTANTIATE_TEST_SUITE_P(Sqlite, SqliteParamTest, ::testing::Values(&kSqlite),
                         [](const auto& info) { return std::string(info.param->name); });
INSTANTIATE_TEST_SUITE_P(Postgres, PostgresParamTest, ::testing::Values(&kPostgres),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace

namespace {

// A piece longer than one request goes in requests of at most 32250 bytes,
// each counted whole.
TEST(ParamPiecesTest, LongPiecesGoInSeveralRequests) {
  ASSERT_TRUE(g_servers->harness().ok()) << g_servers->harness().error();
  TempDir dir;
  std::string trace = dir.Path("lna.log");
  g_servers->harness().AddDsn("VelParamsTraced", {"LnaTrace=1", "TraceOutput=" + trace});
  Database traced = kSqlite;
  traced.dsn = "VelParamsTraced";
  {
    Session s(traced);
    ASSERT_TRUE(s.ok()) << testing::PrintToString(s.Messages());
    s.Run("CREATE TABLE traced (t TEXT)");
    SQLLEN at_exec = SQL_LEN_DATA_AT_EXEC(0);
    char token = 0;
    ASSERT_EQ(s.Bind(1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_LONGVARCHAR, 0, 0, &token, 0, &at_exec),
              SQL_SUCCESS);
    ASSERT_EQ(SQLExecDirectImpl(s.stmt(), Text("INSERT INTO traced VALUES (?)"), SQL_NTS),
              SQL_NEED_DATA);
    SQLPOINTER got = nullptr;
    ASSERT_EQ(SQLParamDataImpl(s.stmt(), &got), SQL_NEED_DATA);
    std::string piece(70000, 'z');
    ASSERT_EQ(SQLPutDataImpl(s.stmt(), piece.data(), static_cast<SQLLEN>(piece.size())),
              SQL_SUCCESS);
    ASSERT_EQ(SQLParamDataImpl(s.stmt(), &got), SQL_SUCCESS);
    EXPECT_EQ(s.Changed("UPDATE traced SET t = t WHERE length(t) = 70000"), 1);
  }
  std::ifstream in(trace);
  std::stringstream text;
  text << in.rdbuf();
  std::vector<long> lengths;
  std::string line;
  while (std::getline(text, line)) {
    size_t at = line.find("LnaPutLongDataSP(");
    if (at == std::string::npos) continue;
    long length = 0;
    if (std::sscanf(line.c_str() + at, "LnaPutLongDataSP(%*x, %*d, %*x, %ld", &length) == 1)
      lengths.push_back(length);
  }
  EXPECT_EQ(lengths, (std::vector<long>{32250, 32250, 5500}));
}

}  // namespace
