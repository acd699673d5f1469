#include "common/safe_string.h"

#include <gtest/gtest.h>

#include <new>
#include <sstream>

#include "testing/fail_new.h"

namespace {

// Longer than the standard string's in-place buffer, so that every copy of
// it allocates.
constexpr const char* kLong = "a text well beyond the small-string buffer";

struct Ordered {
  const char* a;
  const char* b;
  int sign;  // of a compared with b
};

TEST(SafeString, ComparesInByteOrderForEveryOperandPair) {
  const Ordered cases[] = {
      {"", "", 0},           {"", "a", -1},    {"ab", "abc", -1}, {"abc", "b", -1},
      {"abc", "abc", 0},     {"abc", "ab", 1}, {"b", "abc", 1},   {"A", "a", -1},
      {"\xe9", "z", 1},  // bytes compare unsigned: 0xE9 sorts after 'z'
      {"a\xff", "a\x01", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    SafeString a(c.a), b(c.b);
    EXPECT_EQ(a == b, c.sign == 0);
    EXPECT_EQ(a != b, c.sign != 0);
    EXPECT_EQ(a < b, c.sign < 0);
    EXPECT_EQ(a > b, c.sign > 0);
    EXPECT_EQ(a <= b, c.sign <= 0);
    EXPECT_EQ(a >= b, c.sign >= 0);

    EXPECT_EQ(a == c.b, c.sign == 0);
    EXPECT_EQ(a != c.b, c.sign != 0);
    EXPECT_EQ(a < c.b, c.sign < 0);
    EXPECT_EQ(a > c.b, c.sign > 0);
    EXPECT_EQ(a <= c.b, c.sign <= 0);
    EXPECT_EQ(a >= c.b, c.sign >= 0);

    EXPECT_EQ(c.a == b, c.sign == 0);
    EXPECT_EQ(c.a != b, c.sign != 0);
    EXPECT_EQ(c.a < b, c.sign < 0);
    EXPECT_EQ(c.a > b, c.sign > 0);
    EXPECT_EQ(c.a <= b, c.sign <= 0);
    EXPECT_EQ(c.a >= b, c.sign >= 0);
  }
}

TEST(SafeString, EditingOperations) {
  SafeString s("middle");
  s.Insert(0, "<").Insert(s.Length(), SafeString(">"));
  EXPECT_EQ(s, "<middle>");
  s.Erase(1, 3);
  EXPECT_EQ(s, "<dle>");
  s.AppendNumber(-5).AppendNumber(0).AppendChars(nullptr).Append(SafeString("!"));
  EXPECT_EQ(s, "<dle>-50!");
  SafeString other("x");
  swap(s, other);
  EXPECT_EQ(s, "x");
  EXPECT_EQ(other, "<dle>-50!");
  s.Clear();
  EXPECT_TRUE(s.IsEmpty());
  EXPECT_EQ(SafeString("nul\0inside", 10).Length(), 10u);  // the length form copies exactly
  EXPECT_FALSE(s.Failed());
}

TEST(SafeString, AllocationFailureSetsTheFlagAndLeavesTheObjectUsable) {
  SafeString s("start");
  FailNewAfter(1);
  s.AppendChars(kLong);
  FailNewAfter(0);
  EXPECT_TRUE(s.Failed());
  EXPECT_EQ(s, "start");  // the standard string keeps its text on failure
  s.AppendChars(" and on");
  EXPECT_EQ(s, "start and on");
  EXPECT_TRUE(s.Failed());  // a later success does not clear it

  // Each catching operation, on a fresh object.
  struct Op {
    const char* name;
    void (*run)(SafeString&);
  };
  const Op ops[] = {
      {"Assign(SafeString)",
       [](SafeString& t) {
         SafeString src(kLong);
         FailNewAfter(1);
         t.Assign(src);
       }},
      {"Assign(char*)",
       [](SafeString& t) {
         FailNewAfter(1);
         t.Assign(kLong);
       }},
      {"Append",
       [](SafeString& t) {
         SafeString src(kLong);
         FailNewAfter(1);
         t.Append(src);
       }},
      {"Insert",
       [](SafeString& t) {
         FailNewAfter(1);
         t.Insert(0, kLong);
       }},
  };
  for (const auto& op : ops) {
    SCOPED_TRACE(op.name);
    SafeString t;
    op.run(t);
    FailNewAfter(0);
    EXPECT_TRUE(t.Failed());
  }
}

TEST(SafeString, FlagIsNeitherCopiedNorAssignedButMoves) {
  FailNewAfter(1);
  SafeString failed(kLong, 40);
  FailNewAfter(0);
  ASSERT_TRUE(failed.Failed());
  EXPECT_TRUE(failed.IsEmpty());  // the length form leaves nothing on failure

  failed.Assign("kept");
  SafeString copy(failed);
  EXPECT_FALSE(copy.Failed());
  EXPECT_EQ(copy, "kept");
  SafeString assigned;
  assigned.Assign(failed);
  EXPECT_FALSE(assigned.Failed());
  // A result returned by value keeps its flag: callers test it after.
  SafeString moved(std::move(failed));
  EXPECT_TRUE(moved.Failed());
}

TEST(SafeString, CopyConstructionLetsAllocationFailureThrough) {
  SafeString src(kLong);
  FailNewAfter(1);
  EXPECT_THROW(SafeString{src}, std::bad_alloc);
  FailNewAfter(1);
  EXPECT_THROW(SafeString{kLong}, std::bad_alloc);
  FailNewAfter(0);
}

TEST(SafeString, StreamsReadWordsAndLines) {
  std::istringstream in("  first second\nrest of line;tail");
  SafeString word, line;
  in >> word;
  EXPECT_EQ(word, "first");
  GetLine(in, line);
  EXPECT_EQ(line, " second");
  GetLine(in, line, ';');
  EXPECT_EQ(line, "rest of line");
  GetLine(in, line, ';');
  EXPECT_EQ(line, "tail");
  std::ostringstream out;
  out << word << '|' << line;
  EXPECT_EQ(out.str(), "first|tail");
}

}  // namespace
