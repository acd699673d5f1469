#include "server/cell.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace velsrv {
namespace {

template <typename T>
Cell Fixed(int16_t c_type, const T& value) {
  Cell c;
  c.c_type = c_type;
  c.bytes.resize(sizeof value);
  std::memcpy(c.bytes.data(), &value, sizeof value);
  return c;
}

struct BlockBytesCase {
  const char* what;
  Cell cell;
  std::vector<uint8_t> want;
};

// One buffer holds a whole column: every value is appended after the ones
// before it, and trimming a value never reaches into them. Each case runs
// after a prefix whose last bytes are what the trimming removes (zeros, and
// repeats of a double's last byte).
TEST(BlockValueBytes, AppendsEachValueAfterThoseBefore) {
  const uint16_t midnight[3] = {0, 0, 0};
  const uint16_t noon[3] = {12, 0, 0};
  struct {
    uint16_t f[6];
    uint32_t fraction;
  } ts{{2024, 2, 29, 0, 0, 0}, 0};
  static_assert(sizeof ts == 16);
  double one = 1.0;  // 3F F0 00 00 00 00 00 00
  double repeat;     // 40 40 40 40 40 40 40 40
  uint64_t fours = 0x4040404040404040ull;
  std::memcpy(&repeat, &fours, sizeof repeat);
  Cell text;
  text.c_type = kCTypeChar;
  text.bytes = {'a', 0, 'b'};
  const BlockBytesCase cases[] = {
      {"zero integer", Fixed<int32_t>(kCTypeLong, 0), {}},
      {"small integer", Fixed<int32_t>(kCTypeLong, 256), {0xFF}},
      {"middle integer", Fixed<int32_t>(kCTypeSLong, -5536), {0x00, 0x00}},
      {"large integer", Fixed<int32_t>(kCTypeLong, 60000), {0x00, 0x00, 0xEA, 0x60}},
      {"zero double", Fixed<double>(kCTypeDouble, 0.0), {}},
      {"double", Fixed<double>(kCTypeDouble, one), {0x3F, 0xF0, 0x00}},
      {"double of one repeated byte", Fixed<double>(kCTypeDouble, repeat), {0x40}},
      {"midnight", Fixed(kCTypeTime, midnight), {}},
      {"noon", Fixed(kCTypeTime, noon), {12}},
      {"timestamp at midnight", Fixed(kCTypeTimestamp, ts), {0x07, 0xE8, 2, 29}},
      {"text", text, {'a', 0, 'b'}},
  };
  const std::vector<std::vector<uint8_t>> prefixes = {{}, {0, 0, 0}, {0x40, 0x40}, {0xF0, 0x00}};
  for (const BlockBytesCase& c : cases) {
    for (const std::vector<uint8_t>& prefix : prefixes) {
      std::vector<uint8_t> out = prefix;
      AppendBlockValueBytes(c.cell, &out);
      std::vector<uint8_t> want = prefix;
      want.insert(want.end(), c.want.begin(), c.want.end());
      EXPECT_EQ(out, want) << c.what << " after " << prefix.size() << " bytes";
    }
  }
}

}  // namespace
}  // namespace velsrv
