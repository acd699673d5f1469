// Bit and integer sources to every other class, through the dispatcher.
#include <cstring>
#include <string>

#include "driver/odbc/convert/conv_types.h"
#include "testing/conv_test_support.h"

namespace {

using Routine = ConvRoutineTest;

// A source value of any integer C type, laid out as that type.
struct Source {
  int16_t type;
  int64_t value;

  std::string Bytes() const {
    char bytes[8] = {};
    switch (type) {
      case kSqlBit:
      case kSqlCSTinyInt:
      case kSqlCUTinyInt:
        bytes[0] = static_cast<char>(value);
        return std::string(bytes, 1);
      case kSqlCSShort:
      case kSqlCUShort: {
        auto v = static_cast<uint16_t>(value);
        std::memcpy(bytes, &v, 2);
        return std::string(bytes, 2);
      }
      default: {
        auto v = static_cast<uint32_t>(value);
        std::memcpy(bytes, &v, 4);
        return std::string(bytes, 4);
      }
    }
  }
};

std::string Raw(const void* value, size_t size) {
  return std::string(static_cast<const char*>(value), size);
}

TEST_F(Routine, IntegersBetweenClasses) {
  struct Case {
    Source source;
    int16_t target;
    int32_t result;
    std::string written;  // the target's bytes when converted
  };
  const int16_t s16 = -1234;
  const uint16_t u16 = 40000;
  const int32_t s32 = -5;
  const uint32_t u32 = 3000000000u;
  const float real = 40000.0f;
  const double dbl = 3000000000.0;
  const Case cases[] = {
      {{kSqlCSShort, -1}, kSqlCUShort, kConvOutOfRange, ""},
      {{kSqlCUShort, 40000}, kSqlCSShort, kConvOutOfRange, ""},
      {{kSqlCUShort, 40000}, kSqlCULong, kConvOk, Raw("\x40\x9c\x00\x00", 4)},
      {{kSqlCSShort, -1234}, kSqlCSLong, kConvOk, Raw("\x2e\xfb\xff\xff", 4)},
      {{kSqlCSLong, 70000}, kSqlCSShort, kConvOutOfRange, ""},
      {{kSqlCSLong, -1234}, kSqlCSShort, kConvOk, Raw(&s16, 2)},
      {{kSqlCSLong, -5}, kSqlCULong, kConvOutOfRange, ""},
      {{kSqlCULong, 3000000000}, kSqlCSLong, kConvOutOfRange, ""},
      {{kSqlCULong, 2147483647}, kSqlCSLong, kConvOk, Raw("\xff\xff\xff\x7f", 4)},
      {{kSqlCULong, 127}, kSqlCSTinyInt, kConvOk, "\x7f"},
      {{kSqlCULong, 128}, kSqlCSTinyInt, kConvOutOfRange, ""},
      {{kSqlCSTinyInt, -1}, kSqlCUTinyInt, kConvOutOfRange, ""},
      {{kSqlCSTinyInt, -1}, kSqlCUShort, kConvOutOfRange, ""},
      {{kSqlCUTinyInt, 200}, kSqlCSTinyInt, kConvOutOfRange, ""},
      {{kSqlCSShort, 255}, kSqlCUTinyInt, kConvOk, "\xff"},
      {{kSqlCSShort, 256}, kSqlCUTinyInt, kConvOutOfRange, ""},
      {{kSqlCSShort, -129}, kSqlCSTinyInt, kConvOutOfRange, ""},
      {{kSqlCUShort, 40000}, kSqlCUShort, kConvOk, Raw(&u16, 2)},
      {{kSqlCSLong, -5}, kSqlCSLong, kConvOk, Raw(&s32, 4)},
      {{kSqlCSLong, 1}, kSqlBit, kConvOk, "\x01"},
      {{kSqlCSLong, 2}, kSqlBit, kConvOutOfRange, ""},
      {{kSqlCSShort, -1}, kSqlBit, kConvOutOfRange, ""},
      {{kSqlBit, 1}, kSqlCSLong, kConvOk, Raw("\x01\x00\x00\x00", 4)},
      {{kSqlBit, 5}, kSqlCUShort, kConvOk, Raw("\x01\x00", 2)},  // any set byte is 1
      {{kSqlBit, 5}, kSqlCSTinyInt, kConvOk, "\x05"},            // a byte copy
      {{kSqlCUShort, 40000}, kSqlReal, kConvOk, Raw(&real, 4)},
      {{kSqlCULong, 3000000000}, kSqlDouble, kConvOk, Raw(&dbl, 8)},  // stays positive
      {{kSqlCULong, 3000000000}, kSqlCULong, kConvOk, Raw(&u32, 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.source.type) + " value " +
                 std::to_string(c.source.value) + " to " + std::to_string(c.target));
    std::string source = c.source.Bytes();
    ConvOutcome outcome = ConvertInto(source.data(), c.source.type,
                                      static_cast<int32_t>(source.size()), c.target, 0, 0, 0, 8);
    EXPECT_EQ(outcome.result, c.result);
    if (c.result != kConvOk) continue;
    EXPECT_EQ(outcome.bytes.substr(0, c.written.size()), c.written);
    EXPECT_EQ(outcome.out_length, static_cast<int32_t>(c.written.size()));
  }
}

TEST_F(Routine, IntegersToTextAndDecimal) {
  struct Case {
    Source source;
    int16_t target;
    int32_t target_length;
    int32_t precision;
    int32_t result;
    const char* text;
  };
  const Case cases[] = {
      {{kSqlCSLong, -12345}, kSqlChar, 7, 0, kConvOk, "-12345"},
      {{kSqlCSLong, -12345}, kSqlChar, 6, 0, kConvOutOfRange, nullptr},  // no room for the NUL
      {{kSqlCSLong, 0}, kSqlChar, 1, 0, kConvOutOfRange, nullptr},
      {{kSqlCSLong, 0}, kSqlChar, 0, 0, kConvOutOfRange, nullptr},
      {{kSqlCULong, 4294967295}, kSqlChar, 11, 0, kConvOk, "4294967295"},
      {{kSqlCSTinyInt, -128}, kSqlChar, 5, 0, kConvOk, "-128"},
      {{kSqlCUTinyInt, 200}, kSqlChar, 4, 0, kConvOk, "200"},
      {{kSqlCSShort, -32768}, kSqlChar, 7, 0, kConvOk, "-32768"},
      {{kSqlCUShort, 65535}, kSqlChar, 6, 0, kConvOk, "65535"},
      // For decimal text the precision bounds the digits; a sign is extra.
      {{kSqlCSLong, -12345}, kSqlDecimal, 20, 5, kConvOk, "-12345"},
      {{kSqlCSLong, -12345}, kSqlDecimal, 20, 4, kConvOutOfRange, nullptr},
      {{kSqlCULong, 4294967295}, kSqlDecimal, 20, 10, kConvOk, "4294967295"},
      {{kSqlCULong, 4294967295}, kSqlDecimal, 20, 9, kConvOutOfRange, nullptr},
      {{kSqlBit, 7}, kSqlChar, 2, 0, kConvOk, "1"},
      {{kSqlBit, 0}, kSqlDecimal, 2, 0, kConvOk, "0"},
      {{kSqlBit, 1}, kSqlChar, 1, 0, kConvOutOfRange, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.source.type) + " value " +
                 std::to_string(c.source.value) + " length " + std::to_string(c.target_length));
    std::string source = c.source.Bytes();
    ConvOutcome outcome =
        ConvertInto(source.data(), c.source.type, 0, c.target, c.target_length, c.precision, 0);
    EXPECT_EQ(outcome.result, c.result);
    if (c.text == nullptr) continue;
    EXPECT_EQ(outcome.Text(), c.text);
    EXPECT_EQ(outcome.out_length, static_cast<int32_t>(std::strlen(c.text)));
  }
}

TEST_F(Routine, IntegersToBinaryNeedRoomForTheirBytes) {
  struct Case {
    Source source;
    int32_t target_length;
    int32_t result;
    std::string written;
  };
  const Case cases[] = {
      {{kSqlCSShort, 0x1234}, 2, kConvOk, "\x34\x12"},
      {{kSqlCSShort, 0x1234}, 1, kConvOutOfRange, "#"},
      {{kSqlCSLong, 0x01020304}, 4, kConvOk, "\x04\x03\x02\x01"},
      {{kSqlCSLong, 0x01020304}, 3, kConvOutOfRange, "###"},
      {{kSqlBit, 1}, 1, kConvOk, "\x01"},
      {{kSqlBit, 1}, 0, kConvOutOfRange, ""},
      {{kSqlCUTinyInt, 0xAB}, 1, kConvOk, "\xab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.source.type) + " into " +
                 std::to_string(c.target_length));
    std::string source = c.source.Bytes();
    ConvOutcome outcome =
        ConvertInto(source.data(), c.source.type, 0, kSqlVarBinary, c.target_length);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.bytes, c.written);
    if (c.result == kConvOk) {
      EXPECT_EQ(outcome.out_length, c.target_length);
    }
  }
}

TEST_F(Routine, SameSizeCopiesNeedRoom) {
  // A buffer length of 0 leaves a fixed-size target to its type's size; a
  // positive one below it is a buffer known to be short.
  struct Case {
    Source source;
    int32_t target_length;
    int32_t buffer;
    int32_t result;
  };
  const Case cases[] = {
      {{kSqlCSLong, 7}, 0, 4, kConvOk},         {{kSqlCSLong, 7}, 4, 4, kConvOk},
      {{kSqlCSLong, 7}, 2, 2, kConvOutOfRange}, {{kSqlCUShort, 7}, 1, 1, kConvOutOfRange},
      {{kSqlCUTinyInt, 7}, 1, 1, kConvOk},      {{kSqlCSShort, 7}, 1, 1, kConvOutOfRange},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.source.type) + " length " +
                 std::to_string(c.target_length));
    std::string source = c.source.Bytes();
    ConvOutcome outcome = ConvertInto(source.data(), c.source.type, 0, c.source.type,
                                      c.target_length, 0, 0, c.buffer);
    EXPECT_EQ(outcome.result, c.result);
    if (c.result == kConvOk) {
      EXPECT_EQ(outcome.bytes, source);
    } else {
      EXPECT_EQ(outcome.bytes, std::string(static_cast<size_t>(c.buffer), '#'));
    }
  }
}

}  // namespace
