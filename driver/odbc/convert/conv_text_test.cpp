// Character and decimal text to the other classes, through the dispatcher.
#include <cmath>
#include <limits>

#include "driver/odbc/convert/conv_types.h"
#include "driver/odbc/convert/type_predicates.h"
#include "testing/conv_test_support.h"

namespace {

using Routine = ConvRoutineTest;

int64_t WholeValue(const ConvOutcome& outcome, int16_t type) {
  switch (type) {
    case kSqlCSTinyInt:
      return outcome.Value<int8_t>();
    case kSqlCUTinyInt:
    case kSqlBit:
      return outcome.Value<uint8_t>();
    case kSqlCSShort:
      return outcome.Value<int16_t>();
    case kSqlCUShort:
      return outcome.Value<uint16_t>();
    case kSqlCSLong:
      return outcome.Value<int32_t>();
    default:
      return outcome.Value<uint32_t>();
  }
}

TEST_F(Routine, TextToWholeNumbers) {
  struct Case {
    const char* text;
    int16_t type;
    int32_t result;
    int64_t value;  // checked when the result is 0 or -6
  };
  const Case cases[] = {
      {"12.000", kSqlCSLong, kConvOk, 12},
      {"12.5", kSqlCSLong, kConvTruncated, 12},
      {"-12.5", kSqlCSLong, kConvTruncated, -12},
      {"12.000001", kSqlCSLong, kConvOk, 12},  // below the noise of a printed double
      {" 12 ", kSqlCSLong, kConvOk, 12},
      {"+7", kSqlCSLong, kConvOk, 7},
      {"1e3", kSqlCSLong, kConvOk, 1000},
      {".5", kSqlCSLong, kConvTruncated, 0},
      {"12abc", kSqlCSLong, kConvInvalidText, 0},
      {"0x1A", kSqlCSLong, kConvInvalidText, 0},
      {"1,5", kSqlCSLong, kConvInvalidText, 0},
      {"", kSqlCSLong, kConvInvalidText, 0},
      {"   ", kSqlCSLong, kConvInvalidText, 0},
      {".", kSqlCSLong, kConvInvalidText, 0},
      {"-", kSqlCSLong, kConvInvalidText, 0},
      {"- 5", kSqlCSLong, kConvInvalidText, 0},
      {"2147483647", kSqlCSLong, kConvOk, 2147483647},
      {"-2147483648", kSqlCSLong, kConvOk, -2147483648LL},
      // 64-bit parsing must not let these through as 32-bit values.
      {"2147483648", kSqlCSLong, kConvOutOfRange, 0},
      {"-2147483649", kSqlCSLong, kConvOutOfRange, 0},
      {"4294967296", kSqlCSLong, kConvOutOfRange, 0},
      {"99999999999999999999999", kSqlCSLong, kConvOutOfRange, 0},
      {"2147483647.5", kSqlCSLong, kConvOutOfRange, 0},
      {"3e9", kSqlCSLong, kConvOutOfRange, 0},
      {"1e999", kSqlCSLong, kConvOutOfRange, 0},
      {"32767", kSqlCSShort, kConvOk, 32767},
      {"32768", kSqlCSShort, kConvOutOfRange, 0},
      {"-32769", kSqlCSShort, kConvOutOfRange, 0},
      {"-128", kSqlCSTinyInt, kConvOk, -128},
      {"128", kSqlCSTinyInt, kConvOutOfRange, 0},
      {"-3.75", kSqlCSTinyInt, kConvTruncated, -3},
      {"4294967295", kSqlCULong, kConvOk, 4294967295LL},
      {"4294967296", kSqlCULong, kConvOutOfRange, 0},
      {"-1", kSqlCULong, kConvOutOfRange, 0},  // never wrapped to 4294967295
      {"-0", kSqlCULong, kConvOk, 0},
      {"-0.5", kSqlCULong, kConvOutOfRange, 0},
      {"1.5", kSqlCULong, kConvTruncated, 1},
      {"65535", kSqlCUShort, kConvOk, 65535},
      {"65536", kSqlCUShort, kConvOutOfRange, 0},
      {"255", kSqlCUTinyInt, kConvOk, 255},
      {"256", kSqlCUTinyInt, kConvOutOfRange, 0},
      {"0", kSqlBit, kConvOk, 0},
      {"1.0", kSqlBit, kConvOk, 1},
      {"0.5", kSqlBit, kConvTruncated, 0},
      {"1.5", kSqlBit, kConvTruncated, 1},
      {"2", kSqlBit, kConvOutOfRange, 0},
      {"-1", kSqlBit, kConvOutOfRange, 0},
      {"yes", kSqlBit, kConvInvalidText, 0},
  };
  for (const Case& c : cases) {
    ConvOutcome outcome = ConvertText(c.text, c.type, 0, 0, 0, 8);
    SCOPED_TRACE(std::string("'") + c.text + "' to type " + std::to_string(c.type));
    EXPECT_EQ(outcome.result, c.result);
    if (c.result == kConvOk || c.result == kConvTruncated) {
      EXPECT_EQ(WholeValue(outcome, c.type), c.value);
      EXPECT_EQ(static_cast<size_t>(outcome.out_length), DisplaySizeOf(nullptr, c.type));
    }
  }
}

TEST_F(Routine, TextToRealAndDouble) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* text;
    int16_t type;
    int32_t result;
    double value;
  };
  const Case cases[] = {
      {"1.5", kSqlDouble, kConvOk, 1.5},
      {" -2.5E2 ", kSqlDouble, kConvOk, -250},
      {"+.5", kSqlDouble, kConvOk, 0.5},
      {"1E999", kSqlDouble, kConvOk, inf},
      {"1e999", kSqlDouble, kConvOk, inf},
      {"-1E999", kSqlDouble, kConvOk, -inf},
      {"1E400", kSqlDouble, kConvOutOfRange, 0},
      {"-1E400", kSqlDouble, kConvOutOfRange, 0},
      {"1E-400", kSqlDouble, kConvOutOfRange, 0},  // too small to be told from 0
      // Only plain decimal forms: what the C library would also take is not.
      {"inf", kSqlDouble, kConvInvalidText, 0},
      {"nan", kSqlDouble, kConvInvalidText, 0},
      {"0x10", kSqlDouble, kConvInvalidText, 0},
      {"1,5", kSqlDouble, kConvInvalidText, 0},
      {"2.5 x", kSqlDouble, kConvInvalidText, 0},
      {"1.5.2", kSqlDouble, kConvInvalidText, 0},
      {"+-5", kSqlDouble, kConvInvalidText, 0},
      {"", kSqlDouble, kConvInvalidText, 0},
      {"  ", kSqlDouble, kConvInvalidText, 0},
      {"2.5", kSqlReal, kConvOk, 2.5},
      {"1E999", kSqlReal, kConvOk, inf},
      {"3.4028234663852886e38", kSqlReal, kConvOk, 3.4028234663852886e38},
      {"3.5e38", kSqlReal, kConvOutOfRange, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("'") + c.text + "' to type " + std::to_string(c.type));
    ConvOutcome outcome = ConvertText(c.text, c.type, 0, 0, 0, 8);
    EXPECT_EQ(outcome.result, c.result);
    if (c.result != kConvOk) continue;
    if (c.type == kSqlReal) {
      EXPECT_EQ(outcome.Value<float>(), static_cast<float>(c.value));
      EXPECT_EQ(outcome.out_length, 4);
    } else {
      EXPECT_EQ(outcome.Value<double>(), c.value);
      EXPECT_EQ(outcome.out_length, 8);
    }
  }
}

TEST_F(Routine, TextToTextCutsToTheBuffer) {
  struct Case {
    const char* text;
    int32_t target_length;
    int32_t result;
    std::string written;  // the whole buffer
  };
  const Case cases[] = {
      {"hello", 8, kConvOk, std::string("hello\0##", 8)},
      {"hello", 6, kConvOk, std::string("hello\0", 6)},
      {"hello", 5, kConvTruncated, std::string("hell\0", 5)},
      {"hello", 1, kConvTruncated, std::string("\0", 1)},
      {"hello", 0, kConvTruncated, ""},
      {"", 1, kConvOk, std::string("\0", 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("target length " + std::to_string(c.target_length));
    ConvOutcome outcome = ConvertText(c.text, kSqlChar, c.target_length);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.bytes, c.written);
    EXPECT_EQ(outcome.out_length, static_cast<int32_t>(std::strlen(c.text)));
  }
}

TEST_F(Routine, NumericTextRescaledToDecimal) {
  struct Case {
    const char* text;
    int32_t target_length;
    int32_t precision;
    int16_t scale;
    int32_t result;
    const char* written;
    int32_t out_length;
  };
  const Case cases[] = {
      {"123.456", 20, 5, 2, kConvTruncated, "123.45", 6},
      {"123.456", 20, 4, 2, kConvOutOfRange, nullptr, 0},
      {"123.45", 20, 10, 2, kConvOk, "123.45", 6},
      {"0012.3400", 20, 10, 4, kConvOk, "12.34", 5},
      {"-0012.5", 20, 10, 0, kConvTruncated, "-12", 3},
      {"1.5E2", 20, 10, 2, kConvOk, "150", 3},
      {"5E-3", 20, 10, 4, kConvOk, "0.0050", 6},
      {"5E-6", 20, 10, 4, kConvTruncated, "0", 1},
      {" 42 ", 20, 10, 0, kConvOk, "42", 2},
      {".", 20, 10, 2, kConvOk, "0", 1},
      {"-", 20, 10, 2, kConvOk, "-0", 2},
      {"1e5", 20, 3, 0, kConvOutOfRange, nullptr, 0},
      // The integer part needs its room; the fraction is cut to the buffer.
      {"123.45", 4, 10, 2, kConvTruncated, "123", 6},
      {"123.45", 3, 10, 2, kConvOutOfRange, nullptr, 0},
      {"0.5", 1, 10, 2, kConvTruncated, "", 3},
      {"0.5", 0, 10, 2, kConvTruncated, nullptr, 3},
      // Longer than any decimal text the driver writes.
      {"5E-2", 300, 300, 200, kConvOutOfRange, nullptr, 0},
      {"1E200", 300, 300, 0, kConvOutOfRange, nullptr, 0},
      {"", 20, 10, 2, kConvInvalidText, nullptr, 0},
      {"12a", 20, 10, 2, kConvInvalidText, nullptr, 0},
      {"1-2", 20, 10, 2, kConvInvalidText, nullptr, 0},
      {"1 2", 20, 10, 2, kConvInvalidText, nullptr, 0},
      {"E5", 20, 10, 2, kConvInvalidText, nullptr, 0},
      {"1.2.3", 20, 10, 2, kConvInvalidText, nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("'") + c.text + "' length " + std::to_string(c.target_length) +
                 " precision " + std::to_string(c.precision) + " scale " + std::to_string(c.scale));
    for (int16_t source_type : {kSqlChar, kSqlDecimal}) {
      ConvOutcome outcome =
          ConvertInto(c.text, source_type, -3, kSqlDecimal, c.target_length, c.precision, c.scale);
      EXPECT_EQ(outcome.result, c.result);
      if (c.written != nullptr) {
        EXPECT_EQ(outcome.Text(), c.written);
      }
      if (c.result == kConvOk || c.result == kConvTruncated) {
        EXPECT_EQ(outcome.out_length, c.out_length);
      }
    }
  }
}

TEST_F(Routine, HexTextToBinary) {
  struct Case {
    const char* text;
    int32_t target_length;
    int32_t result;
    std::string written;
    int32_t out_length;
  };
  const Case cases[] = {
      {"01AB", 4, kConvOk, std::string("\x01\xAB##", 4), 2},
      {"01ab", 2, kConvOk, std::string("\x01\xAB", 2), 2},
      {"0aF", 2, kConvOk, std::string("\x0A#", 2), 1},  // a lone last character is no byte
      {"010203", 2, kConvTruncated, std::string("\x01\x02", 2), 2},
      {"01", 0, kConvTruncated, "", 0},
      {"", 1, kConvOk, "#", 0},
      {"0G", 2, kConvInvalidText, "##", -99},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("'") + c.text + "' into " + std::to_string(c.target_length));
    ConvOutcome outcome = ConvertText(c.text, kSqlVarBinary, c.target_length);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.bytes, c.written);
    EXPECT_EQ(outcome.out_length, c.out_length);
  }
}

TEST_F(Routine, CountedTextIsReadToItsLength) {
  ConvOutcome outcome = ConvertInto("12345", kSqlChar, 3, kSqlCSLong, 4);
  EXPECT_EQ(outcome.result, kConvOk);
  EXPECT_EQ(outcome.Value<int32_t>(), 123);
}

TEST_F(Routine, FixedTargetsRefuseAShortBuffer) {
  // A buffer length of 0 leaves a fixed-size target to the type's size; a
  // positive one below it is a buffer known to be short.
  EXPECT_EQ(ConvertText("7", kSqlCSLong, 0, 0, 0, 4).result, kConvOk);
  ConvOutcome shorter = ConvertText("7", kSqlCSLong, 2);
  EXPECT_EQ(shorter.result, kConvOutOfRange);
  EXPECT_EQ(shorter.bytes, "##");
  EXPECT_EQ(ConvertText("7", kSqlDouble, 4).result, kConvOutOfRange);
}

}  // namespace
