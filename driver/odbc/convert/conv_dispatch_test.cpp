#include "driver/odbc/convert/conv_dispatch.h"

#include <gtest/gtest.h>
#include <sqltypes.h>

#include <cstring>
#include <string>

#include "common/memory.h"
#include "driver/odbc/convert/conv_tables.h"
#include "driver/odbc/core/message_ids.h"
#include "testing/test_env.h"

namespace {

// What the routine under the dispatcher saw, and what it answers.
struct Call {
  int calls = 0;
  int16_t source_class = -1;
  int16_t target_class = -1;
  int32_t source_length = 0;
  int32_t target_length = 0;
  std::string text;  // a text source as read
  CompactDate date = {};
  CompactTimestamp timestamp = {};
  int32_t answer = 0;
  int32_t out_length = 0;
  CompactTimestamp write_timestamp = {};
};
Call g_call;

int32_t Recorder(const void* source, int16_t source_class, int32_t source_length, void* target,
                 int16_t target_class, int32_t target_length, int32_t, int16_t,
                 int32_t* out_length) {
  ++g_call.calls;
  g_call.source_class = source_class;
  g_call.target_class = target_class;
  g_call.source_length = source_length;
  g_call.target_length = target_length;
  if (source_class == kConvChar) g_call.text = static_cast<const char*>(source);
  if (source_class == kConvDate) g_call.date = *static_cast<const CompactDate*>(source);
  if (source_class == kConvTimestamp) {
    g_call.timestamp = *static_cast<const CompactTimestamp*>(source);
  }
  if (target_class == kConvTimestamp) {
    *static_cast<CompactTimestamp*>(target) = g_call.write_timestamp;
  }
  *out_length = g_call.out_length;
  return g_call.answer;
}

class ConvDispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_call = Call{};
    ConvInit();
    // An enlarged matrix, so its cells can be pointed at the recorder.
    ASSERT_EQ(RegisterConvTypes(1), 0);
  }
  void TearDown() override {
    MemFailAfter(0);
    while (TEST_ConvUseCount() > 0) ReleaseConvTypes();
    ConvTerm();
  }
  static void Record(ConvClass from, ConvClass to) {
    ASSERT_EQ(TEST_SetConvRoutine(from, to, Recorder), 0);
  }
};

TEST_F(ConvDispatchTest, BinaryTargetStandsForTheSourcesOwnCType) {
  struct Case {
    int16_t source_type;
    ConvClass source_class;
    ConvClass target_class;
  };
  const Case cases[] = {
      {-7, kConvBit, kConvBit},       {-6, kConvTinyInt, kConvTinyInt},
      {-5, kConvDecimal, kConvChar},  {-1, kConvChar, kConvChar},
      {2, kConvDecimal, kConvChar},   {12, kConvChar, kConvChar},
      {-4, kConvBinary, kConvBinary}, {4, kConvLong, kConvLong},
      {5, kConvShort, kConvShort},    {6, kConvDouble, kConvDouble},
      {7, kConvReal, kConvReal},      {-17, kConvUShort, kConvUShort},
  };
  for (const Case& c : cases) {
    g_call = Call{};
    Record(c.source_class, c.target_class);
    char source[8] = "1";
    char target[16];
    EXPECT_EQ(
        ConvertValueEntry(source, c.source_type, -3, 0, target, -2, sizeof target, 0, 0, nullptr),
        kConvOk)
        << "source type " << c.source_type;
    EXPECT_EQ(g_call.calls, 1);
    EXPECT_EQ(g_call.target_class, c.target_class) << "source type " << c.source_type;
  }
}

TEST_F(ConvDispatchTest, BinaryTargetMustHoldTheWholeOwnCForm) {
  Record(kConvLong, kConvLong);
  Record(kConvChar, kConvChar);
  int32_t value = 7;
  char target[8];
  EXPECT_EQ(ConvertValueEntry(&value, 4, 4, 0, target, -2, 3, 0, 0, nullptr), kConvOutOfRange);
  EXPECT_EQ(ConvertValueEntry(&value, 4, 4, 0, target, -2, -1, 0, 0, nullptr), kConvOutOfRange);
  EXPECT_EQ(g_call.calls, 0);
  EXPECT_EQ(ConvertValueEntry(&value, 4, 4, 0, target, -2, 4, 0, 0, nullptr), kConvOk);
  // Text keeps its own length rules.
  EXPECT_EQ(ConvertValueEntry("41", 1, -3, 0, target, -2, 1, 0, 0, nullptr), kConvOk);
  EXPECT_EQ(g_call.calls, 2);
}

TEST_F(ConvDispatchTest, RestrictionLetsOnlyTextAndBinaryReachBinary) {
  Record(kConvLong, kConvBinary);
  Record(kConvChar, kConvBinary);
  int32_t value = 7;
  char target[8];
  EXPECT_EQ(ConvertValueEntry(&value, 4, 4, 1, target, -3, sizeof target, 0, 0, nullptr),
            kConvUnsupported);
  EXPECT_EQ(g_call.calls, 0);
  EXPECT_EQ(ConvertValueEntry("41", 1, -3, 1, target, -2, sizeof target, 0, 0, nullptr), kConvOk);
  EXPECT_EQ(g_call.calls, 1);
  EXPECT_EQ(g_call.target_class, kConvBinary);
}

TEST_F(ConvDispatchTest, UnsignedSourcesReadAsUnsignedCTypes) {
  struct Case {
    int16_t source_type;
    ConvClass seen;
  };
  const Case cases[] = {{5, kConvUShort}, {-6, kConvUTinyInt}, {4, kConvULong}};
  for (const Case& c : cases) {
    g_call = Call{};
    Record(c.seen, kConvChar);
    uint32_t value = 0;
    char target[16];
    EXPECT_EQ(ConvertValue(&value, c.source_type, 4, 0, target, 1, sizeof target, 0, 0, nullptr, 1),
              kConvOk);
    EXPECT_EQ(g_call.source_class, c.seen) << "source type " << c.source_type;
  }
}

TEST_F(ConvDispatchTest, CountedCharSourcesAreTerminatedCopies) {
  Record(kConvChar, kConvLong);
  int32_t target = 0;
  const std::string long_text(300, 'x');
  struct Case {
    const char* source;
    int32_t length;
    std::string seen;
  };
  const Case cases[] = {
      {"12345", 3, "123"},
      {"abc", 0, ""},
      {"terminated", -3, "terminated"},                    // SQL_NTS: read in place
      {long_text.c_str(), 300, long_text},                 // beyond the stack buffer
      {long_text.c_str(), 259, long_text.substr(0, 259)},  // just fits it
  };
  for (const Case& c : cases) {
    g_call = Call{};
    EXPECT_EQ(ConvertValueEntry(c.source, 1, c.length, 0, &target, 4, 4, 0, 0, nullptr), kConvOk);
    EXPECT_EQ(g_call.text, c.seen);
    EXPECT_EQ(g_call.source_length, c.length);
  }
}

TEST_F(ConvDispatchTest, CharSourceFailures) {
  Record(kConvChar, kConvLong);
  int32_t target = 0;
  const std::string long_text(300, 'x');
  MemFailAfter(1);
  EXPECT_EQ(ConvertValueEntry(long_text.c_str(), 1, 300, 0, &target, 4, 4, 0, 0, nullptr),
            kConvNoMemory);
  MemFailAfter(1);  // a short text needs no allocation
  EXPECT_EQ(ConvertValueEntry("12", 1, 2, 0, &target, 4, 4, 0, 0, nullptr), kConvOk);
  MemFailAfter(0);
  // A negative length other than SQL_NTS is no length at all.
  EXPECT_EQ(ConvertValueEntry("12", 1, -5, 0, &target, 4, 4, 0, 0, nullptr), kConvInvalidText);
  EXPECT_EQ(g_call.calls, 1);
}

TEST_F(ConvDispatchTest, DatesArePackedAndTimestampsUnpacked) {
  Record(kConvDate, kConvTimestamp);
  Record(kConvTimestamp, kConvTimestamp);
  DATE_STRUCT date = {2024, 2, 29};
  TIMESTAMP_STRUCT target;
  std::memset(&target, 0xEE, sizeof target);
  g_call.write_timestamp = {2024, 2, 29, 10, 11, 12, 0, 5000};
  g_call.answer = kConvTruncated;
  g_call.out_length = 12;
  int32_t out_length = 0;
  EXPECT_EQ(ConvertValueEntry(&date, 9, 6, 0, &target, 11, sizeof target, 0, 0, &out_length),
            kConvTruncated);
  EXPECT_EQ(g_call.date.year, 2024);
  EXPECT_EQ(g_call.date.month, 2);
  EXPECT_EQ(g_call.date.day, 29);
  // The cut fraction still gives the caller a whole structure.
  EXPECT_EQ(out_length, 16);
  EXPECT_EQ(target.year, 2024);
  EXPECT_EQ(target.month, 2);
  EXPECT_EQ(target.day, 29);
  EXPECT_EQ(target.hour, 10);
  EXPECT_EQ(target.minute, 11);
  EXPECT_EQ(target.second, 12);
  EXPECT_EQ(target.fraction, 5000u);

  TIMESTAMP_STRUCT source = {1999, 12, 31, 23, 59, 58, 123456789};
  g_call.answer = kConvOk;
  EXPECT_EQ(ConvertValueEntry(&source, 11, 16, 0, &target, 11, sizeof target, 0, 0, nullptr),
            kConvOk);
  EXPECT_EQ(g_call.timestamp.year, 1999);
  EXPECT_EQ(g_call.timestamp.second, 58);
  EXPECT_EQ(g_call.timestamp.fraction, 123456789u);
}

// Packing keeps one byte per field; a value that does not fit is refused
// before any routine sees a wrapped field.
TEST_F(ConvDispatchTest, DateFieldsBeyondAByteAreInvalidNotWrapped) {
  Record(kConvDate, kConvTimestamp);
  Record(kConvTime, kConvTimestamp);
  Record(kConvTimestamp, kConvTimestamp);
  TIMESTAMP_STRUCT target;
  DATE_STRUCT date = {2024, 257, 1};
  TIME_STRUCT time = {10, 256, 0};
  TIMESTAMP_STRUCT stamp = {2024, 1, 1, 0, 0, 300, 0};
  g_call.calls = 0;
  EXPECT_EQ(ConvertValueEntry(&date, 9, 6, 0, &target, 11, sizeof target, 0, 0, nullptr),
            kConvInvalidDateTime);
  EXPECT_EQ(ConvertValueEntry(&time, 10, 6, 0, &target, 11, sizeof target, 0, 0, nullptr),
            kConvInvalidDateTime);
  EXPECT_EQ(ConvertValueEntry(&stamp, 11, 16, 0, &target, 11, sizeof target, 0, 0, nullptr),
            kConvInvalidDateTime);
  EXPECT_EQ(g_call.calls, 0);
}

TEST_F(ConvDispatchTest, RoutineResultsMapAndOnlySuccessesUnpack) {
  Record(kConvChar, kConvTimestamp);
  struct Case {
    int32_t routine;
    int32_t result;
    bool unpacked;
  };
  const Case cases[] = {
      {kConvOk, kConvOk, true},
      {kConvTruncated, kConvTruncated, true},
      {kConvOutOfRange, kConvOutOfRange, false},
      {kConvInvalidText, kConvInvalidText, false},
      {kConvInvalidDateTime, kConvInvalidDateTime, false},
      {kConvNoMemory, kConvNoMemory, false},
      {1, kConvFailed, false},                 // unknown codes never count as success
      {kConvUnsupported, kConvFailed, false},  // a result of ConvertValue, never of a routine
      {-12, kConvFailed, false},
      {-99, kConvFailed, false},
  };
  for (const Case& c : cases) {
    g_call = Call{};
    g_call.answer = c.routine;
    g_call.write_timestamp = {2000, 1, 2, 3, 4, 5, 0, 6};
    TIMESTAMP_STRUCT target = {};
    int32_t out_length = -1;
    EXPECT_EQ(ConvertValueEntry("x", 1, -3, 0, &target, 11, 16, 0, 0, &out_length), c.result)
        << "routine result " << c.routine;
    EXPECT_EQ(target.year == 2000, c.unpacked) << "routine result " << c.routine;
    EXPECT_EQ(out_length == 16, c.unpacked) << "routine result " << c.routine;
  }
}

TEST(ConvDispatch, UnsupportedPairsAndUnknownCodes) {
  ConvInit();
  ASSERT_EQ(RegisterConvTypes(0), 0);
  DATE_STRUCT date = {2024, 1, 2};
  TIME_STRUCT time;
  EXPECT_EQ(ConvertValueEntry(&date, 9, 6, 0, &time, 10, sizeof time, 0, 0, nullptr),
            kConvUnsupported);
  EXPECT_EQ(ConvertValueEntry("1", 1, -3, 0, &time, 1234, 4, 0, 0, nullptr), kConvUnsupported);
  ReleaseConvTypes();
  ConvTerm();
}

TEST(ConvDispatch, EveryResultHasADiagnostic) {
  struct Case {
    int32_t result;
    uint32_t message;
  };
  const Case cases[] = {
      {kConvOk, kMsgErrSuccess},
      {kConvNoMemory, kMsgErrOutOfMemory},
      {kConvTruncated, kMsgErrDataTruncation},
      {kConvOutOfRange, kMsgErrOutOfRange},
      {kConvInvalidText, kMsgErrAssignment},
      {kConvInvalidDateTime, kMsgErrDatefield},
      {kConvUnsupported, kMsgErrRestrictedConversion},
      {kConvFailed, kMsgErrGeneric},
      {1, kMsgErrGeneric},
      {-4, kMsgErrGeneric},
  };
  for (const Case& c : cases) EXPECT_EQ(ConvResultToMessage(c.result), c.message) << c.result;
}

}  // namespace
