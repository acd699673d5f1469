// SQLGetTypeInfo from the login's data types.
#include "driver/odbc/catalog/type_info_api.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include "common/rec_array.h"
#include "driver/odbc/fetch/catalog_columns.h"
#include "driver/odbc/fetch/column_desc.h"
#include "driver/odbc/fetch/local_column.h"
#include "testing/stmt_test_support.h"

namespace {

class TypeInfoTest : public ::testing::Test, public StmtFixture {
 protected:
  // Twelve types, three of them integers; no varchar, which the driver
  // adds to its own table.
  void SetUp() override {
    Login({ServerType("char", SQL_CHAR, "char"), ServerType("numeric", SQL_NUMERIC, "numeric"),
           ServerType("int", SQL_INTEGER, "int"), ServerType("int4", SQL_INTEGER, "int4"),
           ServerType("serial", SQL_INTEGER, "serial"), ServerType("int2", SQL_SMALLINT, "int2"),
           ServerType("float8", SQL_DOUBLE, "float8"), ServerType("date", SQL_DATE, "date"),
           ServerType("time", SQL_TIME, "time"), ServerType("timestamp", SQL_TIMESTAMP, "ts"),
           ServerType("text", SQL_LONGVARCHAR, "text"), ServerType("bytea", SQL_BINARY, "")},
          {});
  }
};

TEST_F(TypeInfoTest, OpensALocalResultOfTheSelectedTypes) {
  struct Case {
    SQLSMALLINT type;
    int16_t selector;
    uint32_t row_count;
    uint16_t fetch_status;
  };
  const Case cases[] = {
      {SQL_ALL_TYPES, -1, 0, 0},
      {-99, -99, 0, 0},
      {SQL_CHAR, 0, 0, 0},
      {SQL_INTEGER, 2, 2, 0},  // the first of three
      {SQL_SMALLINT, 5, 5, 0},
      {SQL_TIMESTAMP, 9, 9, 0},
      // ODBC 3 codes, which the driver manager passes on as they are.
      {SQL_TYPE_DATE, 7, 7, 0},
      {SQL_TYPE_TIME, 8, 8, 0},
      {SQL_TYPE_TIMESTAMP, 9, 9, 0},
      {SQL_VARCHAR, 77, 33, 2},  // only the driver's own table has it
      {SQL_BIT, 77, 33, 2},
  };
  for (const Case& c : cases) {
    DrvStmt* s = stmt();
    s->state = kStmtAllocated;
    s->result_class = kResultNone;
    s->type_list_selector = 77;
    s->row_count = 33;
    s->fetch_status = 0;
    ASSERT_EQ(SQLGetTypeInfoImpl(s, c.type), SQL_SUCCESS) << c.type;
    EXPECT_EQ(s->type_list_selector, c.selector) << c.type;
    EXPECT_EQ(s->row_count, c.row_count) << c.type;
    EXPECT_EQ(s->fetch_status, c.fetch_status) << c.type;
    EXPECT_EQ(s->state, kStmtResultOpen) << c.type;
    EXPECT_EQ(s->result_class, kResultRows) << c.type;
    EXPECT_EQ(s->result_kind, kKindTypeInfo) << c.type;
    EXPECT_EQ(std::string(s->cursor_name).rfind("SQL_CUR", 0), 0u) << c.type;
    ASSERT_NE(s->columns, nullptr);
    ASSERT_EQ(ArrCount(s->columns), 15u);
  }
}

TEST_F(TypeInfoTest, ColumnsSayInWhichCTypeTheValuesComeOut) {
  ASSERT_EQ(SQLGetTypeInfoImpl(stmt(), SQL_ALL_TYPES), SQL_SUCCESS);
  const int16_t types[15] = {SQL_C_CHAR,   SQL_C_SSHORT, SQL_C_SLONG,  SQL_C_CHAR,   SQL_C_CHAR,
                             SQL_C_CHAR,   SQL_C_SSHORT, SQL_C_SSHORT, SQL_C_SSHORT, SQL_C_SSHORT,
                             SQL_C_SSHORT, SQL_C_SSHORT, SQL_C_CHAR,   SQL_C_SSHORT, SQL_C_SSHORT};
  for (uint32_t i = 0; i < 15; ++i) {
    const auto* column = static_cast<const ColumnDesc*>(ArrAt(stmt()->columns, i));
    EXPECT_EQ(column->sql_type, LocalColumnSqlTypeOf(types[i])) << i + 1;
    EXPECT_EQ(column->length, types[i] == SQL_C_CHAR ? 128u : 0u) << i + 1;
  }
}

TEST_F(TypeInfoTest, RefusalsLeaveTheStatementAsItWas) {
  struct Case {
    const char* what;
    uint16_t state;
    uint16_t result_class;
    uint32_t async;
    uint32_t pending;
    const char* sqlstate;
  };
  const Case cases[] = {
      {"open result set", kStmtResultOpen, kResultRows, SQL_ASYNC_ENABLE_OFF, 0, "24000"},
      {"positioned on a row", kStmtOnRow, kResultRows, SQL_ASYNC_ENABLE_OFF, 0, "24000"},
      {"another call outstanding", kStmtResultOpen, kResultNone, SQL_ASYNC_ENABLE_ON, 1, "S1010"},
  };
  for (const Case& c : cases) {
    DrvStmt* s = stmt();
    s->state = c.state;
    s->result_class = c.result_class;
    s->result_kind = kKindColumns;
    s->options.slot[kOptAsyncEnable] = c.async;
    s->pending = c.pending;
    s->pending_function = 40;
    EXPECT_EQ(SQLGetTypeInfoImpl(s, SQL_ALL_TYPES), SQL_ERROR) << c.what;
    EXPECT_EQ(States(), std::vector<std::string>{c.sqlstate}) << c.what;
    EXPECT_EQ(s->state, c.state) << c.what;
    EXPECT_EQ(s->result_kind, kKindColumns) << c.what;
  }
}

TEST_F(TypeInfoTest, AsynchronousStatementsGetTheAnswerAtOnce) {
  stmt()->options.slot[kOptAsyncEnable] = SQL_ASYNC_ENABLE_ON;
  stmt()->state = kStmtExecuted;  // executed without a result: closed first
  stmt()->result_class = kResultNone;
  EXPECT_EQ(SQLGetTypeInfoImpl(stmt(), SQL_INTEGER), SQL_SUCCESS);
  EXPECT_EQ(stmt()->pending, 0u);
  EXPECT_EQ(stmt()->state, kStmtResultOpen);
}

}  // namespace
