// Where every SQLGetInfo answer comes from.
#include "driver/odbc/core/info_table.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(InfoTableTest, EveryTypeHasItsKindAndASource) {
  const std::set<uint16_t> texts = {2,  6,  7,  10, 11, 13, 14, 16,  17,  18, 19, 20,
                                    21, 25, 27, 29, 36, 37, 38, 39,  40,  41, 42, 45,
                                    47, 73, 77, 87, 89, 90, 94, 103, 111, 113};
  const std::set<uint16_t> shorts = {0,  1,  9,  12, 15, 22, 23, 24, 28, 30, 31,  32,  33,  34, 35,
                                     46, 74, 75, 84, 85, 88, 93, 97, 98, 99, 100, 101, 107, 114};
  const std::set<uint16_t> handles = {3, 4, 5, 76};
  for (uint16_t type = 0; type < kInfoTypeCount; ++type) {
    InfoEntry e = InfoEntryOf(type);
    InfoKind want = texts.count(type)     ? kInfoText
                    : shorts.count(type)  ? kInfoShort
                    : handles.count(type) ? kInfoHandle
                                          : kInfoLong;
    EXPECT_EQ(e.kind, want) << type;
    EXPECT_NE(e.source, kFromNothing) << type;
  }
  EXPECT_EQ(InfoEntryOf(kInfoDriverSpecific).kind, kInfoLong);
  EXPECT_EQ(InfoEntryOf(kInfoTypeCount).kind, kInfoNone);
  EXPECT_EQ(InfoEntryOf(65002).kind, kInfoNone);
}

}  // namespace
