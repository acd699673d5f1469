// How far a piece moves the offset in the fetched value.
#include "driver/odbc/fetch/column_data.h"

#include <gtest/gtest.h>
#include <sqlext.h>

namespace {

TEST(TransferLength, APieceMovesByWhatItConsumed) {
  struct Case {
    int16_t delivered;
    int32_t count;
    int16_t target;
    int32_t moved;
  };
  const Case cases[] = {
      {SQL_C_CHAR, 40, SQL_C_CHAR, 39},     {SQL_C_CHAR, 0, SQL_C_CHAR, 0},
      {SQL_C_CHAR, 40, SQL_NUMERIC, 40},    {SQL_C_BINARY, 41, SQL_C_CHAR, 20},
      {SQL_C_BINARY, 40, SQL_C_CHAR, 19},   {SQL_C_BINARY, 0, SQL_C_CHAR, 0},
      {SQL_C_BINARY, 40, SQL_C_BINARY, 40}, {SQL_C_LONG, 4, SQL_C_CHAR, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TransferLength(c.delivered, c.count, c.target), c.moved)
        << c.delivered << " " << c.count << " " << c.target;
}

}  // namespace
