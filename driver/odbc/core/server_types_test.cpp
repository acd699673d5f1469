#include "driver/odbc/core/server_types.h"

#include <gtest/gtest.h>

#include "driver/odbc/core/drv_conn.h"

namespace {

// Two server types, a timestamp of low and one of high precision, and the
// base types the driver added behind them.
class ServerTypesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    connection_.type_descs = descs_;
    connection_.type_pairs = pairs_;
    connection_.type_count = 5;
    connection_.server_type_count = 3;
  }

  TypeDescriptor descs_[5] = {
      {4, nullptr, nullptr, nullptr, nullptr, 0, 4, 0, 10, nullptr, 0},
      {11, nullptr, nullptr, nullptr, nullptr, 0, 16, 0, 16, nullptr, 0},
      {11, nullptr, nullptr, nullptr, nullptr, 0, 23, 3, 23, nullptr, 0},
      {12, nullptr, nullptr, nullptr, nullptr, 0, 256, 0, 256, nullptr, 0},
      {1, nullptr, nullptr, nullptr, nullptr, 0, 256, 0, 256, nullptr, 0},
  };
  TypePair pairs_[5] = {
      {4, 4, 0, 4}, {11, 11, 0, 11}, {11, 11, 0, 11}, {12, 1, 0, 1}, {1, 1, 0, 1}};
  DrvConn connection_ = {};
};

TEST_F(ServerTypesTest, DescriptorLookups) {
  struct Case {
    int side;
    int16_t type;
    int32_t precision;
    int32_t found;  // -1: absent
  };
  const Case cases[] = {
      {kParameterSide, 4, 0, 0},
      {kParameterSide, 11, 10, 1},
      {kParameterSide, 11, 20, 2},  // only a timestamp precise enough will do
      {kParameterSide, 11, 30, -1},
      {kParameterSide, 12, 300, 3},  // precision matters for timestamps only
      {kColumnSide, 12, 0, -1},      // the added types are not the server's
      {kParameterSide, 5, 0, -1},
  };
  for (const Case& c : cases) {
    int32_t index = -7;
    int32_t result = FindServerTypeIndex(&connection_, c.side, c.type, c.precision, 0, &index);
    EXPECT_EQ(result == 0 ? index : -1, c.found) << "type " << c.type << " side " << c.side;
  }
  EXPECT_TRUE(ServerHasType(&connection_, 1));
  EXPECT_FALSE(ServerHasType(&connection_, 5));
  EXPECT_EQ(ServerTypeDesc(&connection_, 4), &descs_[4]);
  EXPECT_EQ(ServerTypeDesc(&connection_, 5), nullptr);
  EXPECT_EQ(ServerTypeDesc(&connection_, -1), nullptr);
}

TEST_F(ServerTypesTest, PairLookups) {
  int32_t index = -7;
  EXPECT_EQ(FindTypeInfoEntry(&connection_, kColumnSide, 11, &index), 0);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(FindTypeInfoEntry(&connection_, kColumnSide, 1, &index), -1);
  EXPECT_EQ(FindTypeInfoEntry(&connection_, kParameterSide, 1, &index), 0);
  EXPECT_EQ(index, 4);
  int16_t type = 0;
  EXPECT_EQ(TypeInfoSqlType(&connection_, 3, &type), 0);
  EXPECT_EQ(type, 12);
  EXPECT_EQ(TypeInfoSqlType(&connection_, 5, &type), -1);
  EXPECT_EQ(TypeInfoSqlType(&connection_, -1, &type), -1);
  EXPECT_EQ(TypeInfoDefaultCType(&connection_, 3), 1);
  EXPECT_EQ(TypeInfoDefaultCType(&connection_, 9), 0);

  DrvConn empty = {};
  EXPECT_EQ(FindTypeInfoEntry(&empty, kParameterSide, 4, &index), -1);
  EXPECT_FALSE(ServerHasType(&empty, 4));
}

}  // namespace
