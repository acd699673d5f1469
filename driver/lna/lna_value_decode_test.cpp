// Values into fetch slots: every C type the driver fetches in, from a
// single-row reply and out of a column block, with nulls, empty values,
// values longer than their buffer, and lengths that lie.
#include "driver/lna/lna_value_decode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "testing/wire_test_bytes.h"
#include "wire/row_block_encoder.h"
#include "wire/typed_value.h"

namespace {

using namespace wire_test;

// The bytes a native value occupies in the application's buffer.
template <typename T>
Bytes Native(const T& v) {
  Bytes out(sizeof(T));
  std::memcpy(out.data(), &v, sizeof(T));
  return out;
}
Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}
Bytes Dates(uint16_t a, uint16_t b, uint16_t c) {
  const uint16_t parts[3] = {a, b, c};
  return Native(parts);
}
Bytes Stamp(uint16_t y, uint16_t mo, uint16_t d, uint16_t h, uint16_t mi, uint16_t s,
            uint32_t fraction) {
  return Native(LnaTimestamp{y, mo, d, h, mi, s, fraction});
}
uint32_t Bits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}
uint64_t Bits(double d) {
  uint64_t u;
  std::memcpy(&u, &d, 8);
  return u;
}
Bytes Be64(uint64_t v) {
  return Cat({Be32(static_cast<uint32_t>(v >> 32)), Be32(static_cast<uint32_t>(v))});
}

constexpr uint8_t kFill = '#';

struct Slot {
  std::vector<uint8_t> buffer = std::vector<uint8_t>(24, kFill);
  LnaFetchSlot slot{};
  Slot(int16_t c_type, int32_t buffer_length) {
    slot = {c_type, buffer.data(), buffer_length, -77};
  }
  bool Untouched() const {
    for (uint8_t b : buffer)
      if (b != kFill) return false;
    return true;
  }
  // The buffer's first bytes equal `want`, and nothing after them changed
  // beyond `extra` bytes.
  void Expect(const Bytes& want, size_t extra) const {
    ASSERT_LE(want.size(), buffer.size());
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + static_cast<long>(want.size())), want);
    for (size_t i = want.size() + extra; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], kFill) << i;
  }
};

TEST(SingleRowValue, EveryCTypeIsStoredInTheMachinesForm) {
  struct Case {
    const char* name;
    int16_t c_type;
    Bytes value;  // what follows the length
    int32_t buffer_length;
    Bytes stored;  // the buffer's first bytes afterwards
    size_t nul;    // 1: a NUL follows them
  };
  const Case cases[] = {
      {"long", kCTypeLong, Be32(0xFFFFFC18u), 4, Native(int32_t{-1000}), 0},
      {"signed long", kCTypeSLong, Be32(7), 4, Native(int32_t{7}), 0},
      {"unsigned long", kCTypeULong, Be32(0xFFFFFFFFu), 4, Native(uint32_t{0xFFFFFFFFu}), 0},
      {"float", kCTypeFloat, Be32(Bits(1.5f)), 4, Native(1.5f), 0},
      {"short", kCTypeShort, Be16(0xFFFE), 2, Native(int16_t{-2}), 0},
      {"unsigned short", kCTypeUShort, Be16(65535), 2, Native(uint16_t{65535}), 0},
      {"signed short", kCTypeSShort, Be16(300), 2, Native(int16_t{300}), 0},
      {"double", kCTypeDouble, Be64(Bits(-2.25)), 8, Native(-2.25), 0},
      {"date", kCTypeDate, Cat({Be16(2026), Be16(12), Be16(10)}), 6, Dates(2026, 12, 10), 0},
      {"time", kCTypeTime, Cat({Be16(13), Be16(45), Be16(7)}), 6, Dates(13, 45, 7), 0},
      {"timestamp", kCTypeTimestamp,
       Cat({Be16(1999), Be16(1), Be16(2), Be16(3), Be16(4), Be16(5), Be32(123456789)}), 16,
       Stamp(1999, 1, 2, 3, 4, 5, 123456789), 0},
      {"text shorter than the buffer", kCTypeChar, Text("abc"), 8, Text("abc"), 1},
      {"text as long as the buffer", kCTypeChar, Text("abcd"), 4, Text("abcd"), 0},
      {"text longer than the buffer", kCTypeChar, Text("abcdef"), 4, Text("abcd"), 0},
      {"empty text", kCTypeChar, {}, 4, {}, 1},
      {"binary", kCTypeBinary, {1, 0, 2}, 8, {1, 0, 2}, 0},
      {"binary longer than the buffer", kCTypeBinary, {1, 2, 3, 4, 5}, 2, {1, 2}, 0},
      {"other C type", 0, {9, 8}, 8, {9, 8}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes row = Cat({Be32(static_cast<uint32_t>(c.value.size())), c.value, Text("next")});
    Slot s(c.c_type, c.buffer_length);
    EXPECT_EQ(LnaNextRowValue(&s.slot, row.data(), row.size()),
              static_cast<int64_t>(4 + c.value.size()));
    EXPECT_EQ(s.slot.result_length, static_cast<int32_t>(c.value.size()));
    s.Expect(c.stored, c.nul);
    if (c.nul) {
      EXPECT_EQ(s.buffer[c.stored.size()], 0);
    }
  }
}

TEST(SingleRowValue, ValuesWithoutBytesLeaveTheBuffer) {
  struct Case {
    const char* name;
    uint32_t length;
    int32_t result;
  };
  const Case cases[] = {
      {"null", 0xFFFFFFFFu, -1},
      {"-95", static_cast<uint32_t>(-95), -95},
      {"any other negative length is no value", static_cast<uint32_t>(-4), -1},
      {"the most negative length", 0x80000000u, -1},
  };
  for (int16_t c_type : {kCTypeChar, kCTypeLong, kCTypeTimestamp}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " as C type " + std::to_string(c_type));
      Bytes row = Cat({Be32(c.length), Text("abcdefgh")});
      Slot s(c_type, 16);
      EXPECT_EQ(LnaNextRowValue(&s.slot, row.data(), row.size()), 4);
      EXPECT_EQ(s.slot.result_length, c.result);
      EXPECT_TRUE(s.Untouched());
    }
  }
}

TEST(SingleRowValue, LengthsThatLieAreRefusedWithoutACopy) {
  struct Case {
    const char* name;
    int16_t c_type;
    Bytes row;
  };
  const Case cases[] = {
      {"no room for the length", kCTypeChar, {0, 0, 0}},
      {"length past the reply", kCTypeChar, Cat({Be32(10), Text("abc")})},
      {"largest length", kCTypeBinary, Cat({Be32(0x7FFFFFFFu), Text("abc")})},
      {"long of two bytes", kCTypeLong, Cat({Be32(2), Be16(1)})},
      {"short of four bytes", kCTypeShort, Cat({Be32(4), Be32(1)})},
      {"double of four bytes", kCTypeDouble, Cat({Be32(4), Be32(1)})},
      {"date of sixteen bytes", kCTypeDate, Cat({Be32(16), Bytes(16, 1)})},
      {"timestamp of six bytes", kCTypeTimestamp, Cat({Be32(6), Bytes(6, 1)})},
      {"empty long", kCTypeLong, Be32(0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Slot s(c.c_type, 16);
    EXPECT_EQ(LnaNextRowValue(&s.slot, c.row.data(), c.row.size()), -1);
    EXPECT_TRUE(s.Untouched());
  }
  Slot s(kCTypeChar, 16);
  EXPECT_EQ(LnaNextRowValue(&s.slot, nullptr, 0), -1);
}

TEST(SingleRowValue, FixedValueNeverOverrunsASmallerBuffer) {
  Bytes row = Cat({Be32(16), Bytes(16, 1)});
  Slot s(kCTypeTimestamp, 8);
  EXPECT_EQ(LnaNextRowValue(&s.slot, row.data(), row.size()), 20);
  EXPECT_EQ(s.slot.result_length, 16);
  EXPECT_TRUE(s.Untouched());
}

// A column block of `values` (nullopt: null), decoded for reading.
class BlockValueTest : public ::testing::Test {
 protected:
  void Load(const std::vector<std::optional<Bytes>>& values) {
    std::vector<BlockValue> in;
    for (const auto& v : values)
      in.push_back(v ? BlockValue{v->data(), static_cast<int32_t>(v->size())}
                     : BlockValue{nullptr, -1});
    std::vector<uint8_t> block;
    ColumnBlockEncoder encoder{};
    ASSERT_EQ(EncodeColumnBlock(&encoder, in.data(), static_cast<uint32_t>(in.size()),
                                BlockForm::kSmallest, BlockCompression::kNone, 0, &block),
              1);
    FreeColumnBlockEncoder(&encoder);
    block_ = block;
    uint32_t consumed = 0;
    ASSERT_EQ(DecodeRowBlock(&decoder_, block_.data(), static_cast<uint32_t>(block_.size()),
                             static_cast<uint32_t>(in.size()), &consumed, 0),
              1);
  }
  void TearDown() override { FreeRowBlock(&decoder_); }

  std::vector<uint8_t> block_;
  RowBlockDecoder decoder_{};
};

TEST_F(BlockValueTest, EveryCTypeIsRebuiltFromItsShortForm) {
  struct Expected {
    int32_t result;
    Bytes stored;
    size_t nul;
  };
  struct Case {
    const char* name;
    int16_t c_type;
    int32_t buffer_length;
    std::vector<std::optional<Bytes>> wire;
    std::vector<Expected> expected;
  };
  const Bytes d4 = {0x40, 0x09, 0x21, 0xFB};  // a double shortened to four bytes
  const Case cases[] = {
      {"integers in 0, 1, 2 and 4 bytes",
       kCTypeLong,
       4,
       {Bytes{}, Bytes{199}, Be16(4536), Be32(0x01020304), std::nullopt},
       {{4, Native(int32_t{0}), 0},
        {4, Native(int32_t{200}), 0},
        {4, Native(int32_t{-1000}), 0},
        {4, Native(int32_t{0x01020304}), 0},
        {-1, {}, 0}}},
      {"unsigned long", kCTypeULong, 4, {Bytes{255}}, {{4, Native(uint32_t{256}), 0}}},
      {"short",
       kCTypeShort,
       2,
       {Be16(0xFFFE), std::nullopt},
       {{2, Native(int16_t{-2}), 0}, {-1, {}, 0}}},
      {"float",
       kCTypeFloat,
       4,
       {Be32(Bits(1.5f)), Bytes{}},
       {{4, Native(1.5f), 0}, {4, Native(0.0f), 0}}},
      {"double",
       kCTypeDouble,
       8,
       {d4, Bytes{}, Be64(Bits(-2.25))},
       {{8, Native(uint64_t{0x400921FBFBFBFBFBull}), 0},
        {8, Native(0.0), 0},
        {8, Native(-2.25), 0}}},
      {"date", kCTypeDate, 6, {Bytes{0x07, 0xEA, 12, 10}}, {{6, Dates(2026, 12, 10), 0}}},
      {"time",
       kCTypeTime,
       6,
       {Bytes{13, 45, 7}, Bytes{13}},
       {{6, Dates(13, 45, 7), 0}, {6, Dates(13, 0, 0), 0}}},
      {"timestamp",
       kCTypeTimestamp,
       16,
       {Cat({Bytes{0x07, 0xCF, 1, 2, 3, 4, 5}, Be32(123456789)}), Bytes{0x07, 0xCF, 1, 2}},
       {{16, Stamp(1999, 1, 2, 3, 4, 5, 123456789), 0}, {16, Stamp(1999, 1, 2, 0, 0, 0, 0), 0}}},
      {"text",
       kCTypeChar,
       4,
       {Text("abc"), Text("abcd"), Text("abcdefgh"), Bytes{}, std::nullopt},
       {{3, Text("abc"), 1}, {4, Text("abcd"), 0}, {8, Text("abcd"), 0}, {0, {}, 1}, {-1, {}, 0}}},
      // Every C type read straight into the buffer gets the NUL.
      {"binary", kCTypeBinary, 8, {Bytes{1, 0, 2}}, {{3, {1, 0, 2}, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Load(c.wire);
    for (size_t i = 0; i < c.expected.size(); ++i) {
      SCOPED_TRACE(i);
      Slot s(c.c_type, c.buffer_length);
      EXPECT_EQ(LnaExtractValue(&s.slot, &decoder_), 1);
      EXPECT_EQ(s.slot.result_length, c.expected[i].result);
      if (c.expected[i].result < 0) {
        EXPECT_TRUE(s.Untouched());
      } else {
        s.Expect(c.expected[i].stored, c.expected[i].nul);
        if (c.expected[i].nul) {
          EXPECT_EQ(s.buffer[c.expected[i].stored.size()], 0);
        }
      }
    }
    FreeRowBlock(&decoder_);
  }
}

TEST_F(BlockValueTest, NoNumberTravelsInSuchAForm) {
  struct Case {
    const char* name;
    int16_t c_type;
    Bytes wire;
  };
  const Case cases[] = {
      {"integer of three bytes", kCTypeLong, {1, 2, 3}},
      {"integer of five bytes", kCTypeSLong, {1, 2, 3, 4, 5}},
      {"short of three bytes", kCTypeShort, {1, 2, 3}},
      {"double of nine bytes", kCTypeDouble, Bytes(9, 1)},
      {"timestamp of seventeen bytes", kCTypeTimestamp, Bytes(17, 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Load({c.wire});
    Slot s(c.c_type, 16);
    EXPECT_EQ(LnaExtractValue(&s.slot, &decoder_), 0);
    EXPECT_EQ(s.slot.result_length, -1);
    EXPECT_TRUE(s.Untouched());
    FreeRowBlock(&decoder_);
  }
}

}  // namespace
