#include "wire/scramble.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Scramble(const Bytes& in) {
  Bytes out(in.size());
  ScrambleConnString(in.data(), in.size(), out.data());
  return out;
}

TEST(Scramble, VectorsWorkedByHand) {
  struct Case {
    Bytes plain, scrambled;
  };
  const Case cases[] = {
      {{0x41}, {0x41}},                          // one byte: no stride, no fold
      {{0x01, 0x00}, {0x05, 0x04}},              // stride 1 only
      {{0x80, 0x10}, {0x6E, 0xEE}},              // a negative byte shifts in ones
      {{0x01, 0x02, 0x03}, {0x4C, 0x40, 0x0D}},  // strides 1 and 2
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Scramble(c.plain), c.scrambled);
    Bytes back(c.plain.size());
    UnscrambleConnString(c.scrambled.data(), c.scrambled.size(), back.data());
    EXPECT_EQ(back, c.plain);
  }
}

TEST(Scramble, EveryLengthRoundTrips) {
  std::mt19937 random(7);
  for (size_t n = 1; n <= 512; ++n) {
    Bytes plain(n);
    for (auto& b : plain) b = static_cast<uint8_t>(random());
    Bytes scrambled = Scramble(plain);
    Bytes back(n);
    UnscrambleConnString(scrambled.data(), n, back.data());
    ASSERT_EQ(back, plain) << n;
    if (n > 8) {
      EXPECT_NE(scrambled, plain) << n;
    }
  }
}

TEST(Scramble, Gcd) {
  EXPECT_EQ(Gcd(0, 5), 5u);
  EXPECT_EQ(Gcd(5, 0), 5u);
  EXPECT_EQ(Gcd(12, 18), 6u);
  EXPECT_EQ(Gcd(17, 512), 1u);
}

}  // namespace
