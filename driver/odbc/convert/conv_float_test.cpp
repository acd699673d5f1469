// Real and double sources, through the dispatcher.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "driver/odbc/convert/conv_types.h"
#include "testing/conv_test_support.h"

namespace {

using Routine = ConvRoutineTest;

const double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::numeric_limits<double>::quiet_NaN();

ConvOutcome FromDouble(double value, int16_t target, int32_t target_length, int32_t precision = 0,
                       int16_t scale = 0, int32_t buffer_size = -1) {
  return ConvertInto(&value, kSqlDouble, 8, target, target_length, precision, scale, buffer_size);
}

ConvOutcome FromReal(float value, int16_t target, int32_t target_length, int32_t precision = 0,
                     int16_t scale = 0, int32_t buffer_size = -1) {
  return ConvertInto(&value, kSqlReal, 4, target, target_length, precision, scale, buffer_size);
}

TEST_F(Routine, DoublesToTextInTheRuntimesGeneralForm) {
  struct Case {
    double value;
    int32_t target_length;
    int32_t result;
    const char* text;  // what the buffer holds
    int32_t out_length;
  };
  const Case cases[] = {
      {1234.5, 4, kConvOutOfRange, nullptr, 0},
      {1234.5, 5, kConvTruncated, "1234", 6},
      {1234.5, 6, kConvTruncated, "1234.", 6},
      {1234.5, 7, kConvOk, "1234.5", 6},
      {1234.0, 10, kConvOk, "1234", 4},  // no point left at the end
      {-1.5, 10, kConvOk, "-1.5", 4},
      {0.0, 10, kConvOk, "0", 1},
      {0.5, 10, kConvOk, "0.5", 3},
      {0.1, 20, kConvOk, "0.1", 3},
      {1.0 / 3, 20, kConvOk, "0.333333333333333", 17},
      {2.0 / 3, 20, kConvOk, "0.666666666666667", 17},
      {100000000000000.0, 20, kConvOk, "100000000000000", 15},
      // Beyond 15 digits before the point, or below 0.1, the exponent form
      // with three exponent digits; only the zeros of the fraction go.
      {1e15, 20, kConvOk, "1.e+015", 7},
      {0.05, 20, kConvOk, "5.e-002", 7},
      {-0.0123, 20, kConvOk, "-1.23e-002", 10},
      {123456789012345678.0, 30, kConvOk, "1.23456789012346e+017", 21},
      {1e300, 20, kConvOk, "1.e+300", 7},
      {1e20, 7, kConvOutOfRange, nullptr, 0},  // an exponent form must fit whole
      {1e20, 8, kConvOk, "1.e+020", 7},
      {kInf, 6, kConvOk, "1E999", 5},
      {kInf, 5, kConvOutOfRange, nullptr, 0},
      {-kInf, 7, kConvOk, "-1E999", 6},
      {kNan, 20, kConvOutOfRange, nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.value) + " into " + std::to_string(c.target_length));
    ConvOutcome outcome = FromDouble(c.value, kSqlChar, c.target_length);
    EXPECT_EQ(outcome.result, c.result);
    if (c.text == nullptr) continue;
    EXPECT_EQ(outcome.Text(), c.text);
    EXPECT_EQ(outcome.out_length, c.out_length);
  }
}

TEST_F(Routine, RealsToTextWithSevenDigits) {
  struct Case {
    float value;
    const char* text;
  };
  const Case cases[] = {
      {0.1f, "0.1"},
      {1.5f, "1.5"},
      {16777216.0f, "1.677722e+07"},
      {1.5e38f, "1.5e+38"},  // two exponent digits where they suffice
      {1e-5f, "1.e-05"},
      {std::numeric_limits<float>::max(), "3.402823e+38"},
      {-2.25f, "-2.25"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ConvOutcome outcome = FromReal(c.value, kSqlChar, 20);
    EXPECT_EQ(outcome.result, kConvOk);
    EXPECT_EQ(outcome.Text(), c.text);
  }
}

TEST_F(Routine, FloatsToDecimalText) {
  struct Case {
    double value;
    bool real;
    int32_t precision;
    int16_t scale;
    int32_t result;
    const char* text;
  };
  const Case cases[] = {
      {1234.5, false, 10, 2, kConvOk, "1234.5"},
      {1234.5, false, 10, 0, kConvTruncated, "1234"},
      {1234.5, false, 3, 0, kConvOutOfRange, nullptr},
      {0.05, false, 10, 4, kConvOk, "0.0500"},
      {1e15, false, 20, 0, kConvOk, "1000000000000000"},
      {-2.25, true, 10, 2, kConvOk, "-2.25"},
      {0.1, true, 10, 3, kConvOk, "0.1"},
      {kInf, false, 10, 2, kConvOutOfRange, nullptr},
      {kNan, false, 10, 2, kConvOutOfRange, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.value));
    ConvOutcome outcome =
        c.real ? FromReal(static_cast<float>(c.value), kSqlDecimal, 30, c.precision, c.scale)
               : FromDouble(c.value, kSqlDecimal, 30, c.precision, c.scale);
    EXPECT_EQ(outcome.result, c.result);
    if (c.text != nullptr) {
      EXPECT_EQ(outcome.Text(), c.text);
    }
  }
}

TEST_F(Routine, FloatsToWholeNumbersAndBits) {
  struct Case {
    double value;
    int16_t target;
    int32_t result;
    int64_t written;
  };
  const Case cases[] = {
      {12.7, kSqlCSLong, kConvTruncated, 12},
      {-12.7, kSqlCSLong, kConvTruncated, -12},
      {12.0, kSqlCSLong, kConvOk, 12},
      {2147483647.0, kSqlCSLong, kConvOk, 2147483647},
      {2147483648.0, kSqlCSLong, kConvOutOfRange, 0},
      {-2147483648.9, kSqlCSLong, kConvTruncated, -2147483648LL},
      {1e300, kSqlCSLong, kConvOutOfRange, 0},
      {kInf, kSqlCSLong, kConvOutOfRange, 0},
      {kNan, kSqlCSLong, kConvOutOfRange, 0},
      {-128.5, kSqlCSTinyInt, kConvTruncated, -128},
      {128.0, kSqlCSTinyInt, kConvOutOfRange, 0},
      {32767.9, kSqlCSShort, kConvTruncated, 32767},
      {65534.9, kSqlCUShort, kConvTruncated, 65534},
      {65535.9, kSqlCUShort, kConvOutOfRange, 0},  // unsigned: the value itself must fit
      {255.0, kSqlCUTinyInt, kConvOk, 255},
      {-0.5, kSqlCULong, kConvOutOfRange, 0},  // below 0, though it truncates to 0
      {4294967295.0, kSqlCULong, kConvOk, 4294967295LL},
      {4294967295.5, kSqlCULong, kConvOutOfRange, 0},
      {1.0, kSqlBit, kConvOk, 1},
      {0.0, kSqlBit, kConvOk, 0},
      {1e-17, kSqlBit, kConvOk, 0},
      {1.0 + 1e-16, kSqlBit, kConvOk, 1},
      {0.5, kSqlBit, kConvTruncated, 0},
      {1.5, kSqlBit, kConvTruncated, 1},
      {2.0, kSqlBit, kConvOutOfRange, 0},
      {-0.1, kSqlBit, kConvOutOfRange, 0},
      {kNan, kSqlBit, kConvOutOfRange, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.value) + " to " + std::to_string(c.target));
    ConvOutcome outcome = FromDouble(c.value, c.target, 0, 0, 0, 8);
    EXPECT_EQ(outcome.result, c.result);
    if (c.result != kConvOk && c.result != kConvTruncated) continue;
    int64_t written = 0;
    switch (c.target) {
      case kSqlCSTinyInt:
        written = outcome.Value<int8_t>();
        break;
      case kSqlCUTinyInt:
      case kSqlBit:
        written = outcome.Value<uint8_t>();
        break;
      case kSqlCSShort:
        written = outcome.Value<int16_t>();
        break;
      case kSqlCUShort:
        written = outcome.Value<uint16_t>();
        break;
      case kSqlCSLong:
        written = outcome.Value<int32_t>();
        break;
      default:
        written = outcome.Value<uint32_t>();
    }
    EXPECT_EQ(written, c.written);
  }
  // A real is read as a real, with the real's epsilon for bits.
  EXPECT_EQ(FromReal(-3.5f, kSqlCSShort, 0, 0, 0, 2).Value<int16_t>(), -3);
  EXPECT_EQ(FromReal(0.5f, kSqlBit, 0, 0, 0, 1).result, kConvTruncated);
  EXPECT_EQ(FromReal(1e-8f, kSqlBit, 0, 0, 0, 1).result, kConvOk);
}

TEST_F(Routine, RealsAndDoublesBetweenEachOther) {
  ConvOutcome narrowed = FromDouble(1.5, kSqlReal, 0, 0, 0, 4);
  EXPECT_EQ(narrowed.result, kConvOk);
  EXPECT_EQ(narrowed.Value<float>(), 1.5f);
  EXPECT_EQ(narrowed.out_length, 4);
  EXPECT_EQ(FromDouble(1e39, kSqlReal, 0, 0, 0, 4).result, kConvOutOfRange);
  EXPECT_EQ(FromDouble(-1e39, kSqlReal, 0, 0, 0, 4).result, kConvOutOfRange);
  EXPECT_EQ(FromDouble(kInf, kSqlReal, 0, 0, 0, 4).Value<float>(),
            std::numeric_limits<float>::infinity());

  ConvOutcome widened = FromReal(0.1f, kSqlDouble, 0, 0, 0, 8);
  EXPECT_EQ(widened.result, kConvOk);
  EXPECT_EQ(widened.Value<double>(), static_cast<double>(0.1f));
  EXPECT_EQ(widened.out_length, 8);
  EXPECT_EQ(
      FromReal(-std::numeric_limits<float>::infinity(), kSqlDouble, 0, 0, 0, 8).Value<double>(),
      -kInf);
}

TEST_F(Routine, FloatsToBinaryNeedRoomForTheirBytes) {
  const double value = 2.5;
  const float real = 2.5f;
  ConvOutcome whole = FromDouble(value, kSqlVarBinary, 8);
  EXPECT_EQ(whole.result, kConvOk);
  EXPECT_EQ(whole.bytes, std::string(reinterpret_cast<const char*>(&value), 8));
  EXPECT_EQ(whole.out_length, 8);
  EXPECT_EQ(FromDouble(value, kSqlVarBinary, 7).result, kConvOutOfRange);
  EXPECT_EQ(FromReal(real, kSqlVarBinary, 4).bytes,
            std::string(reinterpret_cast<const char*>(&real), 4));
  ConvOutcome short_real = FromReal(real, kSqlVarBinary, 3);
  EXPECT_EQ(short_real.result, kConvOutOfRange);
  EXPECT_EQ(short_real.bytes, "###");
}

}  // namespace
