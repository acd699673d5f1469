#include "driver/odbc/core/arg_copy.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/memory.h"
#include "driver/odbc/core/message_ids.h"
#include "testing/test_env.h"

namespace {

constexpr int32_t kNts = -3;

TEST(CopyInString, LengthRules) {
  struct Case {
    const char* name;
    const char* text;
    int32_t length;
    int32_t max_length;
    char escape;
    uint32_t result;
    const char* copy;  // null: no value
    bool owned;
    bool in_place;
  };
  const Case cases[] = {
      {"null text", nullptr, 5, -1, ' ', kMsgErrSuccess, nullptr, false, false},
      {"null data", "abc", -1, -1, ' ', kMsgErrSuccess, nullptr, false, false},
      {"NTS without limit", "abc", kNts, -1, ' ', kMsgErrSuccess, "abc", false, true},
      {"NTS within limit", "abc", kNts, 3, '\0', kMsgErrSuccess, "abc", false, true},
      {"NTS over limit", "abcd", kNts, 3, '\0', kMsgErrInvalStrLen, nullptr, false, false},
      {"counted", "abcdefgh", 5, -1, ' ', kMsgErrSuccess, "abcde", true, false},
      {"counted empty", "abc", 0, -1, ' ', kMsgErrSuccess, "", true, false},
      {"limit zero", "abc", kNts, 0, '\0', kMsgErrDriverIncapable, nullptr, false, false},
      {"escaped pattern fits", "ab\\_c", kNts, 4, '\\', kMsgErrSuccess, "ab\\_c", false, true},
      {"escaped pattern over", "ab\\_c", kNts, 3, '\\', kMsgErrInvalStrLen, nullptr, false, false},
      {"counted pattern", "ab\\%cd", 5, 4, '\\', kMsgErrSuccess, "ab\\%c", true, false},
      // Negative lengths other than the two conventions would be copied as
      // huge counts.
      {"length -2", "abc", -2, -1, ' ', kMsgErrInvalStrLen, nullptr, false, false},
      {"length -100", "abc", -100, 10, ' ', kMsgErrInvalStrLen, nullptr, false, false},
  };
  for (const Case& c : cases) {
    ArgCopy copy = {"stale", 0};
    EXPECT_EQ(CopyInString(&copy, c.text, c.length, c.max_length, c.escape), c.result) << c.name;
    if (c.copy == nullptr) {
      EXPECT_EQ(copy.text, nullptr) << c.name;
    } else {
      ASSERT_NE(copy.text, nullptr) << c.name;
      EXPECT_STREQ(copy.text, c.copy) << c.name;
    }
    EXPECT_EQ(copy.owned != 0, c.owned) << c.name;
    if (c.in_place) {
      EXPECT_EQ(copy.text, c.text) << c.name;
    }
    FreeArgCopy(&copy, 1);
    EXPECT_EQ(copy.text, nullptr);
    EXPECT_EQ(copy.owned, 0u);
  }
}

TEST(CopyInString, NoMemoryForACountedCopy) {
  ArgCopy copy;
  MemFailAfter(1);
  EXPECT_EQ(CopyInString(&copy, "abc", 2, -1, ' '), kMsgErrOutOfMemory);
  MemFailAfter(0);
  EXPECT_EQ(copy.text, nullptr);
}

TEST(PatternLength, EscapesCountOnce) {
  struct Case {
    const char* text;
    int32_t length;
    char escape;
    int32_t count;
  };
  const Case cases[] = {
      {"abc", kNts, '\0', 3},    {"a\\_b", kNts, '\\', 3}, {"a\\%b", kNts, '\\', 3},
      {"a\\\\b", kNts, '\\', 3}, {"a\\xb", kNts, '\\', 4},  // an escape before anything else counts
      {"ab\\", kNts, '\\', 3},   {"a\\_b", 2, '\\', 2},     // the pair is cut by the length
      {"a\\_b", 3, '\\', 2},     {nullptr, kNts, '\\', 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PatternLength(c.text, c.length, -1, c.escape), c.count)
        << (c.text ? c.text : "null") << " length " << c.length;
  }
}

TEST(CopyOutString, TruncationRules) {
  struct Case {
    const char* name;
    const char* source;
    int32_t size;
    bool destination;
    int result;
    const char* written;  // null: untouched
    int32_t length;
  };
  const Case cases[] = {
      {"fits", "abc", 4, true, 0, "abc", 3},
      {"cut", "0123456789", 4, true, 1, "012", 10},
      {"exactly no room for the NUL", "abcd", 4, true, 1, "abc", 4},
      {"size one", "abc", 1, true, 1, "", 3},
      {"size zero", "abc", 0, true, 1, nullptr, 3},
      {"negative size", "abc", -4, true, 1, nullptr, 3},
      {"null destination, big size", "abc", 10, false, 0, nullptr, 3},
      {"null destination, small size", "abc", 3, false, 1, nullptr, 3},
      {"null source", nullptr, 4, true, 0, "", 0},
  };
  for (const Case& c : cases) {
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    int32_t length = -7;
    EXPECT_EQ(CopyOutString(c.destination ? buffer : nullptr, c.source, c.size, &length), c.result)
        << c.name;
    EXPECT_EQ(length, c.length) << c.name;
    if (c.written != nullptr) {
      EXPECT_STREQ(buffer, c.written) << c.name;
    } else {
      EXPECT_EQ(buffer[0], '#') << c.name;
    }
  }
}

TEST(CopyOutString, ShortLengthsSaturate) {
  std::string source(40000, 'a');
  int16_t length = 0;
  char buffer[8];
  EXPECT_EQ(CopyOutString(buffer, source.c_str(), sizeof buffer, &length), 1);
  EXPECT_EQ(length, INT16_MAX);
  EXPECT_EQ(CopyOutString(buffer, "abc", sizeof buffer, static_cast<int16_t*>(nullptr)), 0);
}

}  // namespace
