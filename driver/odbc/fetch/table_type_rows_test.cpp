// The local result set of the announced table types.
#include "driver/odbc/fetch/table_type_rows.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <string>

#include "common/rec_array.h"
#include "driver/odbc/fetch/column_desc.h"
#include "testing/stmt_test_support.h"

namespace {

class TableTypeRowsTest : public ::testing::Test, public StmtFixture {
 protected:
  void SetUp() override {
    Login({}, {TableType("TABLE", 1), TableType("VIEW", 2), TableType("SYSTEM TABLE", 4)});
  }
};

TEST_F(TableTypeRowsTest, RowsAreTheAnnouncedTypes) {
  ASSERT_EQ(BuildTableTypeRows(stmt()), SQL_SUCCESS);
  ASSERT_NE(stmt()->columns, nullptr);
  ASSERT_EQ(ArrCount(stmt()->columns), 5u);
  for (uint32_t i = 0; i < 5; ++i) {
    const auto* column = static_cast<const ColumnDesc*>(ArrAt(stmt()->columns, i));
    EXPECT_EQ(column->sql_type, SQL_VARCHAR) << i;
    EXPECT_EQ(column->length, i == 3 ? 128u : 0u) << i;
  }

  struct Case {
    uint32_t row;
    uint16_t column;
    SQLLEN buffer_length;
    SQLRETURN result;
    std::string value;
    SQLLEN length;
  };
  const Case cases[] = {
      {1, 4, 64, SQL_SUCCESS, "TABLE", 5},
      {3, 4, 64, SQL_SUCCESS, "SYSTEM TABLE", 12},
      {3, 4, 4, SQL_SUCCESS_WITH_INFO, "SYS", 12},
      {2, 1, 64, SQL_SUCCESS, "", SQL_NULL_DATA},
      {2, 5, 64, SQL_SUCCESS, "", SQL_NULL_DATA},
      {4, 4, 64, SQL_SUCCESS, "", 0},  // past the last type
      {0, 4, 64, SQL_SUCCESS, "", 0},  // before the first fetch
  };
  for (const Case& c : cases) {
    stmt()->row_count = c.row;
    char buffer[64] = {};
    SQLLEN length = 99;
    EXPECT_EQ(GetTableTypeValue(stmt(), c.column, SQL_C_CHAR, buffer, c.buffer_length, &length),
              c.result)
        << c.row << "/" << c.column;
    EXPECT_EQ(buffer, c.value) << c.row << "/" << c.column;
    EXPECT_EQ(length, c.length) << c.row << "/" << c.column;
  }
}

// The name read in pieces, and into other targets: binary as text,
// numbers by conversion.
TEST_F(TableTypeRowsTest, NameGoesOnFromWhatWasHandedOutAndConvertsForOtherTypes) {
  ASSERT_EQ(BuildTableTypeRows(stmt()), SQL_SUCCESS);
  stmt()->row_count = 3;
  auto* column = static_cast<ColumnDesc*>(ArrAt(stmt()->columns, 3));
  column->returned_length = 7;  // "SYSTEM " already handed out
  char text[64] = {};
  SQLLEN length = 0;
  EXPECT_EQ(GetTableTypeValue(stmt(), 4, SQL_C_CHAR, text, sizeof text, &length), SQL_SUCCESS);
  EXPECT_STREQ(text, "TABLE");
  EXPECT_EQ(length, 5);

  // A name is no number: the 4-byte target gets nothing, whatever length
  // the application claims for it.
  column->returned_length = 0;
  int32_t number[2] = {0x11111111, 0x22222222};
  EXPECT_EQ(GetTableTypeValue(stmt(), 4, SQL_C_SLONG, number, 64, &length), SQL_ERROR);
  EXPECT_EQ(number[1], 0x22222222);
  EXPECT_FALSE(States().empty());

  unsigned char bytes[5] = {};
  EXPECT_EQ(GetTableTypeValue(stmt(), 4, SQL_C_BINARY, bytes, sizeof bytes, &length),
            SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 5), std::string("SYST\0", 5));
  EXPECT_EQ(length, 12);
}

}  // namespace
