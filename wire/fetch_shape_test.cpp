// How each SQL type travels in a fetch, as the client's fetch buffers and
// the server's first row block both take it.
#include "wire/fetch_shape.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include "wire/column_desc.h"

namespace {

TEST(SetupFetchColumn, EveryTypeHasItsFormAndSizesNeverWrap) {
  struct Case {
    int16_t sql_type;
    uint32_t length;
    uint32_t precision;
    int16_t scale;
    FetchColumnForm form;
  };
  const Case cases[] = {
      {SQL_LONGVARCHAR, 0, 0, 0, {SQL_C_CHAR, 31745, true}},
      {SQL_WLONGVARCHAR, 0, 0, 0, {SQL_C_CHAR, 31745, true}},
      {SQL_LONGVARBINARY, 0, 0, 0, {SQL_C_BINARY, 31744, true}},
      {SQL_VARCHAR, 20, 0, 0, {SQL_C_CHAR, 21, false}},
      {SQL_BIGINT, 20, 19, 0, {SQL_C_CHAR, 21, false}},
      // A length the server describes as all ones neither wraps to an
      // empty buffer nor asks for gigabytes.
      {SQL_VARCHAR, 0xFFFFFFFF, 0, 0, {SQL_C_CHAR, 31745, false}},
      {SQL_VARBINARY, 0xFFFFFFFF, 0, 0, {SQL_C_BINARY, 31745, false}},
      {SQL_BINARY, 16, 0, 0, {SQL_C_BINARY, 16, false}},
      {SQL_BIT, 1, 1, 0, {SQL_C_SHORT, 2, false}},
      {SQL_TINYINT, 3, 3, 0, {SQL_C_SHORT, 2, false}},
      {SQL_NUMERIC, 4, 4, 0, {SQL_C_SHORT, 2, false}},
      {SQL_DECIMAL, 9, 9, kNoScale, {SQL_C_LONG, 4, false}},
      {SQL_NUMERIC, 10, 10, 0, {SQL_C_CHAR, 13, false}},
      {SQL_DECIMAL, 10, 4, 2, {SQL_C_CHAR, 7, false}},
      {SQL_NUMERIC, 0, 0xFFFFFFFF, 2, {SQL_C_CHAR, 31745, false}},
      {SQL_INTEGER, 10, 10, 0, {SQL_C_LONG, 4, false}},
      {SQL_REAL, 7, 7, 0, {SQL_C_FLOAT, 4, false}},
      {SQL_FLOAT, 15, 15, 0, {SQL_C_DOUBLE, 8, false}},
      {SQL_DOUBLE, 15, 15, 0, {SQL_C_DOUBLE, 8, false}},
      {SQL_DATE, 10, 10, 0, {SQL_C_DATE, 6, false}},
      {SQL_TIME, 8, 8, 0, {SQL_C_TIME, 6, false}},
      {SQL_TIMESTAMP, 19, 19, 0, {SQL_C_TIMESTAMP, 16, false}},
      {-150, 12, 0, 0, {0, 12, false}},
  };
  for (const Case& c : cases) {
    FetchColumnForm form = SetupFetchColumn(c.sql_type, c.length, c.precision, c.scale);
    EXPECT_EQ(form.c_type, c.form.c_type) << c.sql_type << " " << c.length;
    EXPECT_EQ(form.size, c.form.size) << c.sql_type << " " << c.length;
    EXPECT_EQ(form.long_column, c.form.long_column) << c.sql_type;
  }
}

TEST(FetchBufferSize, SizesFromTheServerNeverWrap) {
  struct Case {
    uint32_t length;
    uint32_t extra;
    uint32_t size;
  };
  const Case cases[] = {
      {10, 1, 11},
      {0, 0, 0},
      {kMaxFetchBuffer - 1, 1, kMaxFetchBuffer},
      {kMaxFetchBuffer, 1, kMaxFetchBuffer},
      {0xFFFFFFFFu, 1, kMaxFetchBuffer},
      {0xFFFFFFFFu, 0xFFFFFFFFu, kMaxFetchBuffer},
  };
  for (const Case& c : cases) EXPECT_EQ(FetchBufferSize(c.length, c.extra), c.size) << c.length;
}

}  // namespace
