#include "driver/odbc/convert/conv_tables.h"

#include <gtest/gtest.h>

#include <set>

#include "common/memory.h"
#include "driver/odbc/convert/conv_dispatch.h"
#include "driver/odbc/convert/conv_routines.h"
#include "testing/test_env.h"

namespace {

class ConvTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConvInit();
    ASSERT_EQ(RegisterConvTypes(0), 0);
  }
  void TearDown() override {
    MemFailAfter(0);
    while (TEST_ConvUseCount() > 0) ReleaseConvTypes();
    ConvTerm();
  }
};

TEST_F(ConvTablesTest, FirstRowWithACodeWins) {
  struct Case {
    int16_t code;
    uint32_t row;
  };
  const Case cases[] = {
      {1, 0},  // CHAR: the SQL row, not the C row 19
      {12, 1},
      {-1, 2},
      {3, 3},
      {2, 4},
      {-7, 5},
      {-6, 6},
      {5, 7},
      {4, 8},
      {7, 9},
      {6, 10},
      {8, 11},
      {-5, 12},
      {-2, 13},
      {-3, 14},
      {-4, 15},
      {9, 16},
      {10, 17},
      {11, 18},
      {-26, 22},
      {-28, 23},
      {-15, 25},
      {-17, 26},
      {-16, 28},
      {-18, 29},  // SQL_C_ULONG and the
                  // bookmark share -18
      {99, kConvNoRow},
      {0, kConvNoRow},
      {-8, kConvNoRow},
  };
  for (const Case& c : cases) EXPECT_EQ(ConvTypeIndex(c.code), c.row) << "code " << c.code;
}

// Which cells of the default matrix hold a routine: rows are source classes,
// columns target classes, in class order (char, dec, bit, tinyint, utinyint,
// short, ushort, long, ulong, real, double, binary, date, time, timestamp).
const char* const kSupported[kConvClassCount] = {
    "111111111111111",  // character: everything
    "111111111111000",  // decimal: no date, time or timestamp
    "111111111111000",  // bit
    "111111111111000",  // tinyint
    "111111111111000",  // utinyint
    "111111111111000",  // short
    "111111111111000",  // ushort
    "111111111111000",  // long
    "111111111111000",  // ulong
    "111111111111000",  // real
    "111111111111000",  // double
    "110000000111000",  // binary: char, dec, real, double, binary
    "100000000001101",  // date: char, binary, date, timestamp
    "100000000001011",  // time: char, binary, time, timestamp
    "100000000001111",  // timestamp: char, binary, date, time, timestamp
};

// A code of each class, SQL codes where there is one.
const int16_t kCodeOfClass[kConvClassCount] = {1,   3, -7, -6, -28, 5,  -17, 4,
                                               -18, 7, 8,  -2, 9,   10, 11};

TEST_F(ConvTablesTest, DefaultMatrixSupportsExactlyTheListedPairs) {
  std::set<ConvRoutine> distinct;
  for (uint32_t from = 0; from < kConvClassCount; ++from) {
    for (uint32_t to = 0; to < kConvClassCount; ++to) {
      ConvRoutine routine = ConvLookup(kCodeOfClass[from], kCodeOfClass[to], nullptr, nullptr);
      bool expected = kSupported[from][to] == '1';
      EXPECT_EQ(routine != nullptr, expected) << "class " << from << " to " << to;
      if (routine != nullptr) distinct.insert(routine);
    }
  }
  // Shared routines are one function each: the copies, the text routines of
  // the decimal row, the double routines of the real row.
  EXPECT_LT(distinct.size(), 15u * 12u + 3u * 4u);
}

TEST_F(ConvTablesTest, CellsHoldTheirRoutines) {
  struct Case {
    int16_t source;
    int16_t target;
    ConvRoutine routine;
  };
  const Case cases[] = {
      {1, 1, TextToText},
      {12, -1, TextToText},
      {3, 4, TextToLong},
      {-2, 7, Copy4},
      {4, -16, Copy4},
      {7, 7, Copy4},
      {8, -2, Copy8},
      {-2, 1, BinaryToHexText},
      {-2, 3, TextToNumericText},
      {9, -2, DateCopy},
      {9, 9, DateCopy},
      {9, 11, DateToTimestamp},
      {11, 9, TimestampToDate},
      {10, 11, TimeToTimestamp},
      {7, 8, RealToDouble},
      {-7, -6, Copy1},
      {-28, -28, Copy1},
      {-7, -26, Copy1},
      {-6, -28, TinyIntToUTinyInt},
      {-18, 4, ULongToLong},
      {7, 1, DoubleToText},
      {8, 1, DoubleToText},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvLookup(c.source, c.target, nullptr, nullptr), c.routine)
        << c.source << " to " << c.target;
  }
}

TEST_F(ConvTablesTest, LookupGivesTheRowsAndNullForUnknownCodes) {
  uint32_t source = 0;
  uint32_t target = 0;
  EXPECT_NE(ConvLookup(-17, 1, &source, &target), nullptr);
  EXPECT_EQ(source, 26u);
  EXPECT_EQ(target, 0u);
  EXPECT_EQ(ConvLookup(1, 99, &source, &target), nullptr);
  EXPECT_EQ(source, 0u);
  EXPECT_EQ(target, kConvNoRow);
  EXPECT_EQ(ConvLookup(1234, 1, nullptr, nullptr), nullptr);
}

TEST_F(ConvTablesTest, ParameterBindingChecks) {
  struct Case {
    int16_t c_type;
    int direction;
    int16_t sql_type;
    int supported;
  };
  const Case cases[] =
      {
          {4, 1, -2, 0},  // long to binary: refused for input parameters
          {1, 1, -2, 1},  {-2, 1, -3, 1}, {-2, 1, -4, 1},
          {5, 1, -4, 0},  {4, 2, -2, 1},  // another direction asks the matrix, which has the cell
          {4, 1, 1, 1},   {9, 1, 4, 0},   {9, 1, 11, 1},
          {11, 1, 10, 1}, {10, 1, 9, 0},  {-2, 1, 4, 0},
      };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvCheckSupported(c.c_type, c.direction, c.sql_type), c.supported)
        << c.c_type << " to " << c.sql_type << " direction " << c.direction;
  }
}

TEST_F(ConvTablesTest, UsesAreCountedAndTheStaticTablesOutliveThem) {
  EXPECT_EQ(TEST_ConvUseCount(), 1u);
  ASSERT_EQ(RegisterConvTypes(0), 0);
  EXPECT_EQ(TEST_ConvUseCount(), 2u);
  ReleaseConvTypes();
  ReleaseConvTypes();
  EXPECT_EQ(TEST_ConvUseCount(), 0u);
  ReleaseConvTypes();  // one too many changes nothing
  EXPECT_EQ(TEST_ConvUseCount(), 0u);
  EXPECT_EQ(ConvLookup(1, 4, nullptr, nullptr), TextToLong);
}

int32_t Marker(const void*, int16_t, int32_t, void*, int16_t, int32_t, int32_t, int16_t, int32_t*) {
  return 0;
}

TEST_F(ConvTablesTest, AddedTypesGetRoomAndMayBeFilled) {
  // The static tables have no room.
  EXPECT_EQ(TEST_AddConvType(500, 15, 15), -1);
  EXPECT_EQ(TEST_SetConvRoutine(0, 0, Marker), -1);

  ASSERT_EQ(RegisterConvTypes(2), 0);
  EXPECT_EQ(ConvLookup(1, 4, nullptr, nullptr), TextToLong);  // defaults copied
  EXPECT_EQ(ConvTypeIndex(500), kConvNoRow);
  EXPECT_EQ(TEST_AddConvType(500, kConvChar, 15), 0);
  EXPECT_EQ(TEST_AddConvType(501, kConvChar, 16), 0);
  EXPECT_EQ(TEST_AddConvType(502, kConvChar, 16), -1);  // room for two only
  EXPECT_EQ(ConvTypeIndex(501), kConvDefaultTypeRows + 1);
  EXPECT_EQ(ConvLookup(500, 1, nullptr, nullptr), nullptr);  // added cells start empty
  EXPECT_EQ(TEST_SetConvRoutine(15, 0, Marker), 0);
  EXPECT_EQ(TEST_SetConvRoutine(17, 0, Marker), -1);
  EXPECT_EQ(ConvLookup(500, 1, nullptr, nullptr), Marker);

  // Asking for no more room than there is keeps the tables.
  ASSERT_EQ(RegisterConvTypes(1), 0);
  EXPECT_EQ(ConvLookup(500, 1, nullptr, nullptr), Marker);
  ReleaseConvTypes();
  ReleaseConvTypes();
  EXPECT_EQ(TEST_ConvUseCount(), 1u);
  ReleaseConvTypes();
  // The last use freed the copies; no table is active until the next
  // registration.
  EXPECT_EQ(ConvTypeIndex(1), kConvNoRow);
  ASSERT_EQ(RegisterConvTypes(0), 0);
  EXPECT_EQ(ConvTypeIndex(500), kConvNoRow);
  EXPECT_EQ(ConvTypeIndex(1), 0u);
}

TEST_F(ConvTablesTest, FailedEnlargementKeepsTheActiveTables) {
  ASSERT_EQ(RegisterConvTypes(1), 0);
  ASSERT_EQ(TEST_AddConvType(600, kConvChar, 15), 0);
  for (long n = 1; n <= 2; ++n) {
    MemFailAfter(n);
    EXPECT_EQ(RegisterConvTypes(4), kConvNoMemory) << "allocation " << n;
    MemFailAfter(0);
    EXPECT_EQ(TEST_ConvUseCount(), 2u);
    EXPECT_EQ(ConvTypeIndex(600), kConvDefaultTypeRows);
  }
}

TEST(ConvDefaultCType, ForSqlDefault) {
  struct Case {
    int16_t sql_type;
    int16_t c_type;
  };
  const Case cases[] = {
      {-7, -6},  // bit reads as tinyint
      {-5, 1},  {-1, 1}, {2, 1},   {3, 1},   {12, 1},  {-4, -2}, {-3, -2},
      {4, 4},   {5, 5},  {6, 8},   {8, 8},   {7, 7},   {-6, -6}, {-2, -2},
      {1, 1},   {9, 9},  {10, 10}, {11, 11}, {77, 77},
  };
  for (const Case& c : cases) EXPECT_EQ(DefaultCTypeForSqlType(c.sql_type), c.c_type);
}

}  // namespace
