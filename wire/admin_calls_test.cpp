#include "wire/admin_calls.h"

#include <gtest/gtest.h>

#include <cstring>

#include "testing/record_wire_check.h"

namespace {

using namespace wire_test;

TEST(AdminCalls, KillConnectionsSendsOneList) {
  ExpectWire(KillConnectionsRequest{std::vector<LnaPair>{{1, 2}, {3, 4}}},
             Cat({Be32(1), Be16(2), Be32(2), Be32(1), Be32(2), Be32(3), Be32(4)}), "two pairs");
  ExpectWire(KillConnectionsRequest{std::vector<LnaPair>{}}, Cat({Be32(1), Be16(0), Null()}),
             "no pairs");
  ExpectWire(KillConnectionsRequest{}, Null(), "no list");
}

Bytes UserBytes(const char* name) {
  return Cat({Str(name), Str("sales"), Str("host"), Str("10.0.0.1"), Str("app"), Be16(1), Be32(1),
              Be32(2), Be32(3), Be32(4)});
}

TEST(AdminCalls, TheUserListComesBackAsSent) {
  LnaUserRecord users[2] = {};
  for (LnaUserRecord& u : users) {
    std::strcpy(u.text2, "sales");
    std::strcpy(u.text3, "host");
    std::strcpy(u.text4, "10.0.0.1");
    std::strcpy(u.text5, "app");
    u.word = 1;
    for (int i = 0; i < 4; ++i) u.number[i] = i + 1;
  }
  std::strcpy(users[0].text1, "ann");
  std::strcpy(users[1].text1, "bob");
  LnaUserList list{2, users};
  const Bytes wire = Cat({Be32(1), Be16(2), Be32(2), UserBytes("ann"), UserBytes("bob")});
  BufPtr out = NewBuf();
  ASSERT_EQ(Encode(out.get(), EnumUsersReply{&list, 1}), 1);
  EXPECT_EQ(Written(out.get()), wire);

  BufPtr in = BufFrom(wire);
  EnumUsersReply got;
  ASSERT_EQ(Decode(in.get(), &got), 1);
  EXPECT_EQ(MsgBufAllRead(in.get()), 1);
  ASSERT_EQ(got.count, 1u);
  EXPECT_EQ(MsgBufArrayCount(got.lists, sizeof(LnaUserList)), 1u);
  ASSERT_EQ(got.lists[0].count, 2);
  EXPECT_STREQ(got.lists[0].users[1].text1, "bob");
  EXPECT_EQ(got.lists[0].users[1].number[3], 4);
  BufPtr again = NewBuf();
  ASSERT_EQ(Encode(again.get(), got), 1);
  EXPECT_EQ(Written(again.get()), wire);
  FreeUserLists(&got);
  EXPECT_EQ(got.lists, nullptr);

  BufPtr refused = NewBuf();
  ASSERT_EQ(Encode(refused.get(), EnumUsersReply{}), 1);
  EXPECT_EQ(Written(refused.get()), Null());
}

TEST(AdminCalls, ShortInputsDoNotDecode) {
  auto kill = DecodeFresh<KillConnectionsRequest>;
  auto users = [](MsgBuf* b) {
    EnumUsersReply r;
    int ok = Decode(b, &r);
    FreeUserLists(&r);
    return ok;
  };
  ExpectRefused({
      {"kill, fewer pairs than counted", Cat({Be32(1), Be16(2), Be32(1), Be32(1), Be32(2)}), kill},
      {"kill, two lists", Cat({Be32(2), Be16(0), Null(), Be16(0), Null()}), kill},
      {"kill, pair cut", Cat({Be32(1), Be16(1), Be32(1), Be32(1), Bytes{0, 0}}), kill},
      {"users, fewer records than counted", Cat({Be32(1), Be16(2), Be32(1), UserBytes("ann")}),
       users},
      {"users, record cut", Cat({Be32(1), Be16(1), Be32(1), Str("ann"), Str("sales")}), users},
  });
}

}  // namespace
