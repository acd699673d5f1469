#include "common/msg_status.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "common/msg_table.h"
#include "testing/fail_new.h"

namespace {

class NumberedError : public MsgError {
 public:
  const char* Text() const override { return "Bad row."; }
  const char* Type() const override { return "Warning"; }
  int32_t Number() const override { return -7; }
};

TEST(MsgStatus, TextListsEveryErrorWithItsCodeAndNumber) {
  EXPECT_STREQ(MsgOutOfMemoryStatus().Text("|").CStr(), "Failure: Out of memory.    Code: M0001|");
  MsgStatus status;
  EXPECT_FALSE(status.HasErrors());
  status.Add(SharedRef<MsgError>::Make(new NumberedError));
  status.Append(MsgOutOfMemoryStatus());
  status.Append(status);  // the same list: nothing
  EXPECT_EQ(status.Count(), 2u);
  EXPECT_TRUE(status.HasErrorOfType("Failure"));
  EXPECT_FALSE(status.HasErrorOfType("Other"));
  EXPECT_STREQ(status.Text("\n").CStr(),
               "Warning: Bad row.    Number: -7\nFailure: Out of memory.    Code: M0001\n");
}

TEST(MsgStatus, AStatusOutOfMemoryNeverGrowsTheSharedOne) {
  MsgStatus status;
  auto error = SharedRef<MsgError>::Make(new NumberedError);
  FailNewAfter(1);  // the status's list
  status.Add(error);
  FailNewAfter(0);
  EXPECT_TRUE(status.HasErrorOfType("Failure"));
  status.Add(SharedRef<MsgError>::Make(new NumberedError));
  EXPECT_EQ(status.Count(), 1u);
  EXPECT_EQ(MsgOutOfMemoryStatus().Count(), 1u);
}

TEST(MsgTable, FindsTheFirstAddedOfEqualKeys) {
  // Many keys, each added twice in shuffled order: an unstable sort would
  // mix up which text of a key is found.
  std::vector<std::string> keys;
  for (int i = 0; i < 300; ++i) keys.push_back("VEL_" + std::to_string(i));
  std::shuffle(keys.begin(), keys.end(), std::mt19937(42));
  MsgTable table;
  for (const auto& k : keys) table.Add(k.c_str(), ("first " + k).c_str());
  for (const auto& k : keys) table.Add(k.c_str(), ("second " + k).c_str());
  table.Sort();
  for (const auto& k : keys) EXPECT_EQ(table.Find(k.c_str()), ("first " + k).c_str());
  EXPECT_EQ(table.Find("VEL_"), "<VEL_>");
  EXPECT_EQ(table.Find("VEL_99x"), "<VEL_99x>");
  EXPECT_FALSE(table.Status().HasErrors());
  EXPECT_TRUE(table.Find(nullptr).IsEmpty());
  EXPECT_TRUE(table.Status().HasErrorOfType("Failure"));
}

}  // namespace
