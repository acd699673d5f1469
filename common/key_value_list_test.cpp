#include "common/key_value_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/memory.h"
#include "common/pool.h"
#include "common/rec_array.h"
#include "testing/test_env.h"

namespace {

std::vector<std::pair<std::string, std::string>> Pairs(const RecArray* array, const char* text) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (uint32_t i = 0; i < ArrCount(array); ++i) {
    const auto* r = static_cast<const KeyValueRecord*>(ArrAt(array, i));
    // The records point into the parsed text itself.
    EXPECT_TRUE(r->key >= text && r->value >= text);
    pairs.emplace_back(std::string(r->key, r->key_length), std::string(r->value, r->value_length));
  }
  return pairs;
}

class KeyValueList : public ::testing::Test {
 protected:
  void SetUp() override { PoolTableInit(); }
  void TearDown() override { PoolTableTerm(); }
};

TEST_F(KeyValueList, ParsesAndStopsAtTheFirstError) {
  using P = std::vector<std::pair<std::string, std::string>>;
  struct Case {
    const char* text;
    int32_t result;
    P pairs;  // what stays in the array
  } cases[] = {
      {"A=1; B = two ;C=", kKeyValueOk, {{"A", "1"}, {"B", "two "}, {"C", ""}}},
      {"", kKeyValueOk, {}},
      {"DSN=x;", kKeyValueOk, {{"DSN", "x"}}},
      {"  UID = me ;; PWD=a b", kKeyValueMissingEquals, {{"UID", "me "}}},  // ";" begins a key
      {"A", kKeyValueBadKey, {}},
      {"=1", kKeyValueBadKey, {}},
      {"   ", kKeyValueBadKey, {}},
      {"A 1", kKeyValueMissingEquals, {}},
      {"X=1;A 1", kKeyValueMissingEquals, {{"X", "1"}}},
      {"PWD==x", kKeyValueOk, {{"PWD", "=x"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    RecArray* array = ArrCreate(4, sizeof(KeyValueRecord), 0, 0);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(ParseKeyValueList(array, c.text), c.result);
    EXPECT_EQ(Pairs(array, c.text), c.pairs);
    ArrDestroy(array);
  }
}

TEST_F(KeyValueList, RefusesArraysItCannotFill) {
  RecArray* wrong = ArrCreate(4, 16, 0, 0);  // not the record's size on this machine
  ASSERT_NE(wrong, nullptr);
  EXPECT_EQ(ParseKeyValueList(wrong, "A=1"), kKeyValueNoMemory);
  EXPECT_EQ(ArrCount(wrong), 0u);
  ArrDestroy(wrong);
  EXPECT_EQ(ParseKeyValueList(nullptr, "A=1"), kKeyValueNoMemory);

  RecArray* array = ArrCreate(1, sizeof(KeyValueRecord), 0, 0);
  ASSERT_NE(array, nullptr);
  ASSERT_EQ(ParseKeyValueList(array, "A=1"), kKeyValueOk);
  MemFailAfter(1);  // the array must grow for the second pair
  EXPECT_EQ(ParseKeyValueList(array, "B=2;C=3"), kKeyValueNoMemory);
  MemFailAfter(0);
  EXPECT_EQ(ArrCount(array), 1u);
  ArrDestroy(array);
}

}  // namespace
