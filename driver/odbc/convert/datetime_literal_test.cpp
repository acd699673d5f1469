#include "driver/odbc/convert/datetime_literal.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

constexpr int16_t kDate = kConvDate;
constexpr int16_t kTime = kConvTime;
constexpr int16_t kStamp = kConvTimestamp;
constexpr int16_t kRefused = 0;

#define VEL_LONG_OPEN "--(*vendor(Microsoft),product(ODBC)"

struct Literal {
  const char* text;
  int16_t kind;  // kRefused when the text is no literal
  CompactTimestamp fields;
};

const Literal kLiterals[] = {
    // Bare values.
    {"2024-01-02", kDate, {2024, 1, 2, 0, 0, 0, 0, 0}},
    {"12:30:45", kTime, {0, 0, 0, 12, 30, 45, 0, 0}},
    {"12:30", kTime, {0, 0, 0, 12, 30, 0, 0, 0}},
    {"12:30:45.5", kTime, {0, 0, 0, 12, 30, 45, 0, 500000000}},
    {"2024-01-02 12:30:45.5", kStamp, {2024, 1, 2, 12, 30, 45, 0, 500000000}},
    {"2024-01-02 12:30:45.123456789", kStamp, {2024, 1, 2, 12, 30, 45, 0, 123456789}},
    {"2024-01-02 12:30", kStamp, {2024, 1, 2, 12, 30, 0, 0, 0}},
    {"2024-02-29 23:59:59", kStamp, {2024, 2, 29, 23, 59, 59, 0, 0}},
    {"  2024-01-02  ", kDate, {2024, 1, 2, 0, 0, 0, 0, 0}},
    {"2024-", kDate, {2024, 0, 0, 0, 0, 0, 0, 0}},  // left-out month and day stay 0
    // Short escapes.
    {"{d '2024-01-02'}", kDate, {2024, 1, 2, 0, 0, 0, 0, 0}},
    {"{t '12:30:45'}", kTime, {0, 0, 0, 12, 30, 45, 0, 0}},
    {"{t '12:30'}", kTime, {0, 0, 0, 12, 30, 0, 0, 0}},
    {"{ts '2024-01-02 12:30:45.123'}", kStamp, {2024, 1, 2, 12, 30, 45, 0, 123000000}},
    {"{ts '2024-01-02 12:30'}", kStamp, {2024, 1, 2, 12, 30, 0, 0, 0}},
    {" {  d   '2024-01-02'  }  ", kDate, {2024, 1, 2, 0, 0, 0, 0, 0}},
    {"{ '2024-01-02'}", kDate, {2024, 1, 2, 0, 0, 0, 0, 0}},
    // Long escapes; the clause allows white space and any case.
    {VEL_LONG_OPEN " d '2024-01-02'*)--", kDate, {2024, 1, 2, 0, 0, 0, 0, 0}},
    {VEL_LONG_OPEN " t '12:30:45'*)--", kTime, {0, 0, 0, 12, 30, 45, 0, 0}},
    {VEL_LONG_OPEN " ts '2024-01-02 12:30:45.123'*)--",
     kStamp,
     {2024, 1, 2, 12, 30, 45, 0, 123000000}},
    {"--(* VENDOR ( microsoft ) ,\tProduct\r\n( odbc )  ts '2024-01-02 12:30:45' *)--",
     kStamp,
     {2024, 1, 2, 12, 30, 45, 0, 0}},

    // No kind at all.
    {"", kRefused, {}},
    {"2024", kRefused, {}},
    {"   ", kRefused, {}},
    // Field widths and ranges.
    {"24-01-02", kRefused, {}},
    {"02024-01-02", kRefused, {}},
    {"2024-1-02", kRefused, {}},
    {"2024-01-2", kRefused, {}},
    {"2024-00-01", kRefused, {}},
    {"2024-13-01", kRefused, {}},
    {"2024-01-00", kRefused, {}},
    {"2024-01-32", kRefused, {}},
    {"1:30:00", kRefused, {}},
    {"24:00:00", kRefused, {}},
    {"12:60:00", kRefused, {}},
    {"12:30:60", kRefused, {}},
    {"2024-01-02 99999999999999999999:00", kRefused, {}},
    // Calendar.
    {"2023-02-29", kRefused, {}},
    {"2024-04-31", kRefused, {}},
    {"{ts '2023-02-29 00:00:00'}", kRefused, {}},
    // Fractions beyond billionths, including one that would wrap into range.
    {"2024-01-02 12:30:45.1234567890", kRefused, {}},
    {"2024-01-02 12:30:45.5000000000", kRefused, {}},
    {"2024-01-02 12:30:45.0123456789", kRefused, {}},
    // Separators out of place.
    {"2024-01-02-03", kRefused, {}},
    {"12:30:45:10", kRefused, {}},
    {"2024-01-02 12:30:45.5.5", kRefused, {}},
    {"2024.01.02", kRefused, {}},
    {"2024/01/02", kRefused, {}},
    {"2024-01-02\t12:30:45", kRefused, {}},
    {"2024-01-02 12:30:45 x", kRefused, {}},
    {"2024-01-02 \xC3\xBC", kRefused, {}},
    {"2024-01-02~", kRefused, {}},
    {"s 2024-01-02", kRefused, {}},
    // Keywords: lower case only, and the kind they name.
    {"{D '2024-01-02'}", kRefused, {}},
    {"{TS '2024-01-02 12:30:45'}", kRefused, {}},
    {"{d '2024-01-02 10:00:00'}", kRefused, {}},
    {"{d '12:30:45'}", kRefused, {}},
    {"{t '2024-01-02'}", kRefused, {}},
    {"{ts '2024-01-02'}", kRefused, {}},
    // Quotes need an escape around them.
    {"'2024-01-02'", kRefused, {}},
    {"'12:30:45'", kRefused, {}},
    // Escapes: one opening, at the start, closed by its own form.
    {"{{d '2024-01-02'}}", kRefused, {}},
    {"2024-01-02 {", kRefused, {}},
    {"2024-01-02}", kRefused, {}},
    {"{d 2024-01}", kRefused, {}},
    {"{t 12}", kRefused, {}},
    {"{ts 2024-01-02 12:30}", kRefused, {}},
    {"{ts '2024-01-02 12:30:45'*)--", kRefused, {}},
    {VEL_LONG_OPEN " ts '2024-01-02 12:30:45'}", kRefused, {}},
    {"--(*vendor(Microsoft),product(ODBC d '2024-01-02'*)--", kRefused, {}},
    {"--(*vendor(Other),product(ODBC) d '2024-01-02'*)--", kRefused, {}},
    {"--(vendor(Microsoft),product(ODBC) d '2024-01-02'*)--", kRefused, {}},
    {"--( *vendor(Microsoft),product(ODBC) d '2024-01-02'*)--", kRefused, {}},
    {"--(*vendor(Microsoft)product(ODBC) d '2024-01-02'*)--", kRefused, {}},
    {"--(*vendor(Microsoft),product(ODBC) d '2024-01-02'*)-", kRefused, {}},
    {"--(*vendor(Microsoft),product(ODBC) d '2024-01-02'*-", kRefused, {}},
    {"--(*vendor(Microsoft),product(ODBC) d '2024-01-02'*", kRefused, {}},
    {"--(*vendor(Microsoft),product(ODBC) d '2024-01-02')--", kRefused, {}},
};

std::string Describe(const CompactTimestamp& t) {
  return std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day) +
         " " + std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" +
         std::to_string(t.second) + "." + std::to_string(t.fraction);
}

void CheckEveryLiteral() {
  for (const Literal& c : kLiterals) {
    CompactTimestamp parsed;
    int16_t kind = -1;
    int32_t result = ParseDateTimeLiteral(c.text, &parsed, &kind);
    if (c.kind == kRefused) {
      EXPECT_EQ(result, kConvInvalidDateTime) << "[" << c.text << "]";
      continue;
    }
    ASSERT_EQ(result, kConvOk) << "[" << c.text << "]";
    EXPECT_EQ(kind, c.kind) << "[" << c.text << "]";
    EXPECT_EQ(Describe(parsed), Describe(c.fields)) << "[" << c.text << "]";
  }
}

TEST(DateTimeLiteral, EveryForm) {
  CheckEveryLiteral();
}

TEST(DateTimeLiteral, TheApplicationsLocaleChangesNothing) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  std::string saved = previous != nullptr ? previous : "C";
  // Whichever of these the system has; the C locale alone still runs the table.
  for (const char* name : {"de_DE.UTF-8", "tr_TR.UTF-8", "C.UTF-8"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) CheckEveryLiteral();
  }
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(DateTimeLiteral, FieldsStartCleared) {
  CompactTimestamp parsed = {1, 2, 3, 4, 5, 6, 7, 8};
  int16_t kind = 0;
  ASSERT_EQ(ParseDateTimeLiteral("12:30", &parsed, &kind), kConvOk);
  EXPECT_EQ(Describe(parsed), Describe({0, 0, 0, 12, 30, 0, 0, 0}));
  EXPECT_EQ(ParseDateTimeLiteral(nullptr, &parsed, &kind), kConvInvalidDateTime);
}

TEST(DateTimeLexer, Tokens) {
  struct Case {
    const char* text;
    DateTimeToken token;
    size_t consumed;
    uint32_t value;
    int32_t digits;
  };
  const Case cases[] = {
      {"", kTokEnd, 0, 0, 0},
      {"ts'", kTokTimestamp, 2, 0, 0},
      {"t'", kTokTime, 1, 0, 0},
      {"-1", kTokDash, 1, 0, 0},
      {"*)--x", kTokLongEscapeClose, 4, 0, 0},
      {"007x", kTokNumber, 3, 7, 3},
      {"4294967295", kTokNumber, 10, 4294967295u, 10},
      {"99999999999999999999", kTokNumber, 20, UINT32_MAX, 20},
      {VEL_LONG_OPEN "  x", kTokLongEscapeOpen, sizeof VEL_LONG_OPEN + 1, 0, 0},
  };
  for (const Case& c : cases) {
    const char* position = c.text;
    DateTimeToken token;
    uint32_t value = 1;
    int32_t digits = -1;
    ASSERT_EQ(DateTimeLexer(&position, &token, &value, &digits), 0) << c.text;
    EXPECT_EQ(token, c.token) << c.text;
    EXPECT_EQ(static_cast<size_t>(position - c.text), c.consumed) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
    EXPECT_EQ(digits, c.digits) << c.text;
  }
  for (const char* text : {"D", "T", "S", "x", "*", "*)-", "\t", "--x"}) {
    const char* position = text;
    DateTimeToken token;
    uint32_t value;
    int32_t digits;
    EXPECT_EQ(DateTimeLexer(&position, &token, &value, &digits), kConvInvalidDateTime) << text;
    EXPECT_EQ(position, text) << text;
  }
}

}  // namespace
