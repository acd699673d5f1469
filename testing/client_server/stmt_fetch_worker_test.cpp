// The fetch workers on a statement of the driver's own, against a velsrv on
// loopback: the statement options that end or cut what a fetch delivers,
// and the result sets served from the login's data.
#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/rec_array.h"
#include "driver/odbc/connect/connect_api.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/core/server_types.h"
#include "driver/odbc/fetch/column_binding.h"
#include "driver/odbc/fetch/column_desc.h"
#include "driver/odbc/fetch/local_rows.h"
#include "driver/odbc/fetch/stmt_fetch.h"
#include "driver/odbc/statement/stmt_exec.h"
#include "driver/odbc/statement/stmt_handle.h"
#include "testing/conn_test_support.h"
#include "testing/sqlite_stmt_fixture.h"

namespace {

SQLCHAR* Text(const char* text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text));
}

class FetchWorkerTest : public SqliteStmtTest {
 protected:
  static void SetUpTestSuite() { StartServer("VelFetchWorker"); }
  static void TearDownTestSuite() { StopServer(); }
  void SetUp() override { Connect("VelFetchWorker"); }

  // A local result set of `count` columns, as the catalog functions leave
  // one.
  void OpenLocal(uint16_t kind, uint32_t count, int16_t selector, uint32_t first_row) {
    SQLFreeStmtImpl(s_, SQL_CLOSE);
    s_->columns = ArrCreate(count, sizeof(ColumnDesc), 0, 0);
    ColumnDesc column{};
    for (uint32_t i = 0; i < count; ++i) ArrAppend(s_->columns, &column);
    s_->result_class = kResultRows;
    s_->result_kind = kind;
    s_->state = kStmtResultOpen;
    s_->type_list_selector = selector;
    s_->row_count = first_row;
    s_->fetch_status = 0;
  }

  std::string TextOf(uint16_t column) {
    char text[256] = "?";
    SQLLEN length = 0;
    SQLRETURN r = SQLGetDataImpl(s_, column, SQL_C_CHAR, text, sizeof text, &length);
    if (!SQL_SUCCEEDED(r)) return "<" + std::to_string(r) + ">";
    return length == SQL_NULL_DATA ? "NULL" : text;
  }
};

constexpr const char* kFiveRows =
    "with recursive c(x) as (select 1 union all select x + 1 from c where x < 5) select x, "
    "printf('%.50c', 'q') from c";

TEST_F(FetchWorkerTest, MaxRowsEndsTheResult) {
  s_->options.slot[kOptMaxRows] = 2;
  ASSERT_EQ(SQLExecDirectImpl(s_, Text(kFiveRows), SQL_NTS), SQL_SUCCESS);
  EXPECT_EQ(SQLFetchImpl(s_), SQL_SUCCESS);
  EXPECT_EQ(SQLFetchImpl(s_), SQL_SUCCESS);
  EXPECT_EQ(s_->state, kStmtOnRow);
  EXPECT_EQ(SQLFetchImpl(s_), SQL_NO_DATA_FOUND);
  EXPECT_EQ(s_->state, kStmtExecuted);
}

TEST_F(FetchWorkerTest, MaxLengthCutsTextsSilently) {
  s_->options.slot[kOptMaxLength] = 10;
  ASSERT_EQ(SQLExecDirectImpl(s_, Text(kFiveRows), SQL_NTS), SQL_SUCCESS);
  ASSERT_EQ(SQLFetchImpl(s_), SQL_SUCCESS);
  char text[100];
  SQLLEN length = 0;
  EXPECT_EQ(SQLGetDataImpl(s_, 2, SQL_C_CHAR, text, sizeof text, &length), SQL_SUCCESS);
  EXPECT_STREQ(text, "qqqqqqqqqq");
  EXPECT_EQ(length, 10);
  EXPECT_EQ(SQLGetDataImpl(s_, 2, SQL_C_CHAR, text, sizeof text, &length), SQL_NO_DATA_FOUND);
  // Fixed-size values are never cut.
  SQLINTEGER x = 0;
  EXPECT_EQ(SQLGetDataImpl(s_, 1, SQL_C_SLONG, &x, 0, &length), SQL_SUCCESS);
  EXPECT_EQ(x, 1);
}

TEST_F(FetchWorkerTest, TheTypeListComesFromTheLogin) {
  const DrvConn* c = f_.conn();
  // All listed types: those the server does not hide, in order.
  std::vector<std::string> expected;
  for (uint32_t i = 0; i < c->type_count; ++i) {
    if ((c->type_descs[i].flags & 0x6000) == 0)
      expected.push_back(c->type_descs[i].type_name != nullptr ? c->type_descs[i].type_name : "");
  }
  OpenLocal(kLocalTypeList, 15, kTypeListAll, 0);
  std::vector<std::string> names;
  while (SQLFetchImpl(s_) == SQL_SUCCESS) {
    names.push_back(TextOf(1));
    SQLSMALLINT type = 0;
    SQLLEN length = 0;
    EXPECT_EQ(SQLGetDataImpl(s_, 2, SQL_C_SSHORT, &type, 0, &length), SQL_SUCCESS);
    EXPECT_EQ(type, c->type_descs[s_->row_count - 1].sql_type);
  }
  EXPECT_EQ(names, expected);
  EXPECT_EQ(s_->state, kStmtExecuted);

  // One SQL type: its entries only, from the selected one on.
  int32_t index = -1;
  ASSERT_EQ(FindServerTypeIndex(c, kColumnSide, SQL_INTEGER, 0, 0, &index), 0);
  OpenLocal(kLocalTypeList, 15, static_cast<int16_t>(index), static_cast<uint32_t>(index));
  int rows = 0;
  while (SQLFetchImpl(s_) == SQL_SUCCESS) {
    ++rows;
    EXPECT_EQ(c->type_descs[s_->row_count - 1].sql_type, SQL_INTEGER);
    // The nullable column is a number; the literal prefix of a number is NULL.
    EXPECT_NE(TextOf(7), "NULL");
    EXPECT_EQ(TextOf(4), "NULL");
  }
  EXPECT_GE(rows, 1);

  // A type name read in pieces goes on where the last piece stopped.
  OpenLocal(kLocalTypeList, 15, kTypeListAll, 0);
  ASSERT_EQ(SQLFetchImpl(s_), SQL_SUCCESS);
  const char* name = c->type_descs[s_->row_count - 1].type_name;
  std::string whole = name != nullptr ? name : "";
  ASSERT_GE(whole.size(), 2u);
  std::string pieces;
  char two[2];
  SQLLEN length = 0;
  SQLRETURN r;
  while ((r = SQLGetDataImpl(s_, 1, SQL_C_CHAR, two, sizeof two, &length)) != SQL_NO_DATA_FOUND) {
    ASSERT_TRUE(SQL_SUCCEEDED(r));
    pieces += two;
  }
  EXPECT_EQ(pieces, whole);
}

TEST_F(FetchWorkerTest, TheTableTypeListComesFromTheLogin) {
  const DrvConn* c = f_.conn();
  OpenLocal(kLocalTableTypes, 5, kTypeListAll, 0);
  std::vector<std::string> names;
  while (SQLFetchImpl(s_) == SQL_SUCCESS) {
    names.push_back(TextOf(4));
    EXPECT_EQ(TextOf(1), "NULL");
  }
  ASSERT_EQ(names.size(), c->table_type_count);
  for (uint32_t i = 0; i < c->table_type_count; ++i) EXPECT_EQ(names[i], c->table_types[i].name);
}

}  // namespace
