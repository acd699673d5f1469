#include "driver/odbc/convert/type_predicates.h"

#include <gtest/gtest.h>

namespace {

TEST(TypePredicates, EveryCode) {
  struct Case {
    int16_t code;
    bool numeric, character, binary, fixed, non_string;
  };
  const Case cases[] = {
      {1, false, true, false, false, false}, {12, false, true, false, false, true},
      {-1, false, true, false, false, true}, {2, true, false, false, false, true},
      {3, true, false, false, false, true},  {4, true, false, false, true, true},
      {5, true, false, false, true, true},   {6, true, false, false, true, true},
      {7, true, false, false, true, true},   {8, true, false, false, true, true},
      {-5, true, false, false, true, true},  {-6, true, false, false, true, true},
      {-7, true, false, false, true, true},  {-2, false, false, true, false, false},
      {-3, false, false, true, false, true}, {-4, false, false, true, false, true},
      {9, false, false, false, true, true},  {11, false, false, false, true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsNumericType(c.code), c.numeric) << c.code;
    EXPECT_EQ(IsCharType(c.code), c.character) << c.code;
    EXPECT_EQ(IsBinaryType(c.code), c.binary) << c.code;
    EXPECT_EQ(IsFixedSizeType(c.code), c.fixed) << c.code;
    EXPECT_EQ(IsNonStringCType(c.code), c.non_string) << c.code;
  }
}

TEST(TypePredicates, Compatibility) {
  EXPECT_TRUE(TypesCompatible(12, -1));
  EXPECT_TRUE(TypesCompatible(1, 99));
  EXPECT_TRUE(TypesCompatible(99, 1));
  EXPECT_FALSE(TypesCompatible(12, 99));
  EXPECT_FALSE(TypesCompatible(1, -2));
}

TEST(TypePredicates, SizesOfCValues) {
  struct Case {
    int16_t c_type;
    bool known;
    uint32_t size;
  };
  const Case cases[] = {
      {-28, true, 1}, {-26, true, 1}, {-7, true, 1},  {-6, true, 1},  {-17, true, 2},
      {-15, true, 2}, {5, true, 2},   {-18, true, 4}, {-16, true, 4}, {4, true, 4},
      {7, true, 4},   {8, true, 8},   {9, true, 6},   {10, true, 6},  {11, true, 16},
      {-2, true, 0},  {1, true, 5},   {12, false, 0}, {2, false, 0},
  };
  for (const Case& c : cases) {
    uint32_t size = 99;
    EXPECT_EQ(TypeDisplaySize("hello", c.c_type, &size), c.known) << c.c_type;
    EXPECT_EQ(size, c.known ? c.size : 99u) << c.c_type;
    EXPECT_EQ(DisplaySizeOf("hello", c.c_type), c.size) << c.c_type;
  }
}

}  // namespace
