// The array buffer sizes both ends read from ArrayBufferSize.
#include "wire/array_buffer.h"

#include <gtest/gtest.h>

namespace {

TEST(ArrayBufferBytes, KilobytesInRangeAndNothingThatWrapsIntoIt) {
  struct Case {
    const char* text;
    bool ok;
    uint32_t bytes;
  };
  const Case cases[] = {
      {"1", true, 1024},
      {"63", true, 64512},
      {"8abc", true, 8192},
      {" 4", true, 4096},
      {"64", false, 0},
      {"0", false, 0},
      {"-1", false, 0},
      {"abc", false, 0},
      {"", false, 0},
      // 4194305 KB is 1 KB more than 2^32 bytes: it must not read as 1 KB.
      {"4194305", false, 0},
      {"99999999999999999999", false, 0},
  };
  for (const Case& c : cases) {
    uint32_t bytes = 0;
    EXPECT_EQ(ArrayBufferBytes(c.text, &bytes), c.ok) << c.text;
    EXPECT_EQ(bytes, c.bytes) << c.text;  // left alone on failure
  }
  EXPECT_FALSE(ArrayBufferBytes(nullptr, nullptr));
}

TEST(FitsArrayBuffer, AColumnTravelsInBlocksWhenItLeavesTheReserve) {
  EXPECT_TRUE(FitsArrayBuffer(kDefaultArrayBuffer - kArrayBufferReserve, kDefaultArrayBuffer));
  EXPECT_FALSE(FitsArrayBuffer(kDefaultArrayBuffer - kArrayBufferReserve + 1, kDefaultArrayBuffer));
}

}  // namespace
