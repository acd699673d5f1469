#include "driver/lna/server_pick.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(PickServerFromList, RemovesTheFailedEntryAndChoosesFromTheRest) {
  struct Case {
    const char* list;
    const char* failed;
    int result;
    const char* list_after;
    std::set<std::string> choices;
  };
  const Case cases[] = {
      {"a:1", nullptr, 1, "a:1", {"a:1"}},
      {"a:1,b:2,c:3", "c:3", 1, "a:1,b:2", {"a:1", "b:2"}},
      {"a:1,b:2,c:3", "a:1", 1, "b:2,c:3", {"b:2", "c:3"}},
      {"a:1,b:2,c:3", "b:2", 1, "a:1,c:3", {"a:1", "c:3"}},
      // The whole entry only: "host:1" is no part of "host:15".
      {"host:15,host:1", "host:1", 1, "host:15", {"host:15"}},
      {"host:1,host:15", "host:1", 1, "host:15", {"host:15"}},
      {"a:1,,b:2", nullptr, 1, "a:1,,b:2", {"a:1", "b:2"}},
      {"host:1", "host:1", 0, "", {""}},
      {"a:1,b:2", "x:9", 0, "a:1,b:2", {}},
      {",,,", nullptr, 0, ",,,", {""}},
      {"", nullptr, 0, "", {}},
  };
  for (const Case& c : cases) {
    for (int draw = 0; draw < 20; ++draw) {
      char list[64];
      std::snprintf(list, sizeof list, "%s", c.list);
      char entry[32] = "untouched";
      EXPECT_EQ(PickServerFromList(list, entry, sizeof entry, c.failed), c.result) << c.list;
      EXPECT_STREQ(list, c.list_after) << c.list;
      if (!c.choices.empty()) {
        EXPECT_TRUE(c.choices.count(entry)) << c.list << " chose " << entry;
      }
    }
  }
  char entry[8] = "x";
  EXPECT_EQ(PickServerFromList(nullptr, entry, sizeof entry, nullptr), 0);
}

TEST(PickServerFromList, EveryEntryOfTheFirstHundredCanBeChosen) {
  std::string list;
  for (int i = 0; i <= 100; ++i) {
    if (i > 0) list += ',';
    list += 's';
    list += std::to_string(i);
  }
  ASSERT_LE(list.size(), kServerListMaxText);  // 101 entries inside the 499 characters
  std::set<std::string> chosen;
  for (int draw = 0; draw < 5000; ++draw) {
    std::string copy = list;
    char entry[16];
    ASSERT_EQ(PickServerFromList(copy.data(), entry, sizeof entry, nullptr), 1);
    chosen.insert(entry);
  }
  EXPECT_EQ(chosen.size(), kServerListMaxEntries);
  EXPECT_FALSE(chosen.count("s100"));  // the 101st entry is ignored
}

TEST(PickServerFromList, AnEntryCutByTheLengthLimitIsLeftOut) {
  std::string first(480, 'a');
  for (const char* second : {"b:1583", "bbbbbbbbbbbbbbbbbbbb:1583"}) {
    for (int draw = 0; draw < 20; ++draw) {
      std::string list = first + ":1," + second;
      char entry[512];
      ASSERT_EQ(PickServerFromList(list.data(), entry, sizeof entry, nullptr), 1);
      std::string chosen = entry;
      EXPECT_TRUE(chosen == first + ":1" || chosen == second) << chosen.size();
    }
  }
}

}  // namespace
