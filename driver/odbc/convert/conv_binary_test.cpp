// Binary sources, and binary buffers standing for a value's own C type.
#include <cstring>
#include <string>

#include "driver/odbc/convert/conv_types.h"
#include "testing/conv_test_support.h"

namespace {

using Routine = ConvRoutineTest;

TEST_F(Routine, BinaryToHexText) {
  struct Case {
    std::string source;
    int32_t target_length;
    int32_t result;
    std::string written;  // the whole buffer
  };
  const Case cases[] = {
      {"\x01\xAB", 5, kConvOk, std::string("01AB\0", 5)},
      {"\x01\xAB", 6, kConvOk, std::string("01AB\0#", 6)},
      {"\x01\xAB", 4, kConvTruncated, std::string("01\0#", 4)},
      {"\x01\xAB", 1, kConvTruncated, std::string("\0", 1)},
      {"\x01\xAB", 0, kConvTruncated, ""},
      {"", 1, kConvOk, std::string("\0", 1)},
      {"", 0, kConvOk, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.source.size()) + " bytes into " +
                 std::to_string(c.target_length));
    ConvOutcome outcome =
        ConvertInto(c.source.data(), kSqlVarBinary, static_cast<int32_t>(c.source.size()), kSqlChar,
                    c.target_length);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.bytes, c.written);
    EXPECT_EQ(outcome.out_length, static_cast<int32_t>(c.source.size() * 2));
  }
}

TEST_F(Routine, BinaryCopyIsBoundedByTheBuffer) {
  const std::string source("\x01\x02\x03", 3);
  struct Case {
    int32_t target_length;
    int32_t result;
    std::string written;
  };
  const Case cases[] = {
      {4, kConvOk, std::string("\x01\x02\x03#", 4)},
      {3, kConvOk, std::string("\x01\x02\x03", 3)},
      {2, kConvTruncated, std::string("\x01\x02", 2)},
      {0, kConvTruncated, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("into " + std::to_string(c.target_length));
    ConvOutcome outcome = ConvertInto(source.data(), kSqlBinary, 3, kSqlVarBinary, c.target_length);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.bytes, c.written);
    EXPECT_EQ(outcome.out_length, 3);  // the whole value's length
  }
}

TEST_F(Routine, BinaryToNumbersReadsNoFurtherThanItsLength) {
  // Each source sits in a heap block of exactly its length, so a read past
  // it is caught.
  auto convert = [](const std::string& bytes, int16_t target, int32_t precision = 0,
                    int16_t scale = 0) {
    auto block = std::make_unique<char[]>(bytes.size());
    std::memcpy(block.get(), bytes.data(), bytes.size());
    return ConvertInto(block.get(), kSqlVarBinary, static_cast<int32_t>(bytes.size()), target,
                       target == kSqlDecimal ? 20 : 0, precision, scale, 20);
  };
  const float real = 1.5f;
  const double dbl = -2.75;
  const std::string real_bytes(reinterpret_cast<const char*>(&real), 4);
  const std::string double_bytes(reinterpret_cast<const char*>(&dbl), 8);

  EXPECT_EQ(convert(real_bytes, kSqlReal).Value<float>(), 1.5f);
  EXPECT_EQ(convert(double_bytes, kSqlDouble).Value<double>(), -2.75);
  EXPECT_EQ(convert(real_bytes.substr(0, 3), kSqlReal).result, kConvInvalidText);
  EXPECT_EQ(convert(double_bytes.substr(0, 7), kSqlDouble).result, kConvInvalidText);
  EXPECT_EQ(convert("", kSqlDouble).result, kConvInvalidText);

  ConvOutcome decimal = convert("12.5", kSqlDecimal, 10, 2);
  EXPECT_EQ(decimal.result, kConvOk);
  EXPECT_EQ(decimal.Text(), "12.5");
  EXPECT_EQ(convert("", kSqlDecimal, 10, 2).result, kConvInvalidText);
}

TEST_F(Routine, BinaryBufferForAFixedSizeValueNeedsItsSize) {
  // SQL_C_BINARY with no restriction asks for the source's own C form.
  struct Case {
    int16_t source_type;
    int32_t buffer;
    int32_t result;
  };
  const Case cases[] = {
      {kSqlInteger, 4, kConvOk},
      {kSqlInteger, 3, kConvOutOfRange},
      {kSqlInteger, 0, kConvOutOfRange},
      {kSqlSmallInt, 1, kConvOutOfRange},
      {kSqlDouble, 8, kConvOk},
      {kSqlDouble, 4, kConvOutOfRange},
      {kSqlTinyInt, 1, kConvOk},
      {kSqlTinyInt, 0, kConvOutOfRange},
      {kSqlTimestamp, 15, kConvOutOfRange},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.source_type) + " into " + std::to_string(c.buffer));
    char source[16] = {1};
    ConvOutcome outcome = ConvertInto(source, c.source_type, 0, kSqlBinary, c.buffer);
    EXPECT_EQ(outcome.result, c.result);
    if (c.result != kConvOk) {
      EXPECT_EQ(outcome.bytes, std::string(c.buffer, '#'));
    }
  }
}

}  // namespace
