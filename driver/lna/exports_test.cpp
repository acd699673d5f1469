#include <cstring>
#include <string>

#include "common/tls_slot.h"
#include "driver/lna/admin_exports.h"
#include "driver/lna/conn_stubs.h"
#include "driver/lna/net_error.h"
#include "driver/lna/rpc_call.h"
#include "driver/lna/server_list_exports.h"
#include "testing/net_test_support.h"

namespace {

using namespace lna_test;
using testing_peer::ExpectClosed;
using testing_peer::ExpectRequest;
using testing_peer::Greet;
using testing_peer::ScriptedPeer;

// A peer for one call: checks the request, answers, and sees the
// connection closed afterwards.
ScriptedPeer OneCall(uint32_t procedure, const Bytes& request, int16_t status, const Bytes& reply) {
  return ScriptedPeer({{Greet(), ExpectRequest(RequestBytes(procedure, 1, request)),
                        testing_peer::Reply(ReplyBytes(status, reply)), ExpectClosed()}});
}

using ExportTest = NetTest;

TEST_F(ExportTest, ServerListMustFitTheBuffer) {
  struct Case {
    Bytes reply;
    int32_t size;
    int16_t status;
    const char* buffer_after;
  };
  const Case cases[] = {
      {Str("alpha:1583;beta:1583"), 64, 0, "alpha:1583;beta:1583"},
      {Str("four"), 5, 0, "four"},
      {Str("five!"), 5, kReplyFailed, "unchanged"},  // no room for the NUL
      {Null(), 64, 0, "unchanged"},
      {Cat({Str("x"), Bytes{0}}), 64, kReplyFailed, "unchanged"},  // a byte left over
  };
  for (const Case& c : cases) {
    ScriptedPeer peer =
        OneCall(47, Cat({Str("servers"), Be32(static_cast<uint32_t>(c.size))}), 0, c.reply);
    char buffer[64] = "unchanged";
    EXPECT_EQ(_rpcServGetServerList(peer.address().c_str(), "servers", buffer, c.size), c.status);
    EXPECT_STREQ(buffer, c.buffer_after);
    EXPECT_TRUE(peer.AllStepsPassed());
  }
}

TEST_F(ExportTest, DataSourcesReplaceTheSizeOnlyWhenTheyFit) {
  struct Case {
    uint32_t reply_bytes;
    Bytes tail;  // after the announced bytes
    int16_t status;
    int32_t size_after;
  };
  const Case cases[] = {
      {40, {}, 0, 40},
      {100, {}, 0, 100},
      {150, {}, kReplyFailed, 100},
      {0, {}, 0, 0},
      {40, Bytes{1}, kReplyFailed, 100},
  };
  for (const Case& c : cases) {
    Bytes reply = Cat({Be32(c.reply_bytes), Bytes(c.reply_bytes, 0x44), c.tail});
    ScriptedPeer peer = OneCall(48, Cat({Str("user=ann"), Be32(100)}), 0, reply);
    uint8_t buffer[200];
    std::memset(buffer, 0, sizeof buffer);
    int32_t size = 100;
    EXPECT_EQ(_rpcServGetDataSources(peer.address().c_str(), "user=ann", buffer, &size), c.status)
        << c.reply_bytes;
    EXPECT_EQ(size, c.size_after) << c.reply_bytes;
    uint8_t expected_first = c.status == 0 && c.reply_bytes > 0 ? 0x44 : 0;
    EXPECT_EQ(buffer[0], expected_first) << c.reply_bytes;
    EXPECT_EQ(buffer[100], 0) << c.reply_bytes;
    EXPECT_TRUE(peer.AllStepsPassed());
  }
}

TEST_F(ExportTest, AnUnreachableServerIsReportedWithoutTouchingTheOutputs) {
  std::string nowhere = RefusedAddress();
  char text[16] = "unchanged";
  EXPECT_EQ(_rpcServGetServerList(nowhere.c_str(), "x", text, sizeof text), 3);
  EXPECT_STREQ(text, "unchanged");
  EXPECT_EQ(TlsSlotGet(), kNetErrRefused);
  uint8_t bytes[8] = {};
  int32_t size = 8;
  EXPECT_EQ(_rpcServGetDataSources(nowhere.c_str(), "x", bytes, &size), 3);
  EXPECT_EQ(size, 8);

  LnaUserList* users = reinterpret_cast<LnaUserList*>(&size);
  EXPECT_EQ(_rpcLnaEnumUsersXP(nowhere.c_str(), &users), kReplyFailed);
  EXPECT_EQ(users, nullptr);
  EXPECT_EQ(_rpcLnaShutdownXP(nowhere.c_str(), 1), kReplyFailed);
  LnaPairList none{0, nullptr};
  EXPECT_EQ(_rpcLnaKillConnectionsXP(nowhere.c_str(), &none), kReplyFailed);
  EXPECT_EQ(_rpcLnaCancelPendingSP(nowhere.c_str(), 7), kReplyFailed);
}

TEST_F(ExportTest, AdministrativeRequests) {
  LnaPair pairs[] = {{1, 2}, {3, 4}};
  struct Case {
    const char* name;
    uint32_t procedure;
    Bytes request;
    std::function<int16_t(const char*)> call;
  };
  const Case cases[] = {
      {"kill, no pairs", 51, Cat({Be32(1), Be16(0), Null()}),
       [](const char* server) {
         LnaPairList element{0, nullptr};
         return _rpcLnaKillConnectionsXP(server, &element);
       }},
      {"kill, two pairs", 51, Cat({Be32(1), Be16(2), Be32(2), Be32(1), Be32(2), Be32(3), Be32(4)}),
       [&](const char* server) {
         LnaPairList element{2, pairs};
         return _rpcLnaKillConnectionsXP(server, &element);
       }},
      {"shutdown", 36, Be16(2), [](const char* server) { return _rpcLnaShutdownXP(server, 2); }},
      {"cancel pending", 3, Be16(0xBEEF),
       [](const char* server) { return _rpcLnaCancelPendingSP(server, 0xBEEF); }},
  };
  for (const Case& c : cases) {
    ScriptedPeer peer = OneCall(c.procedure, c.request, 0, {});
    EXPECT_EQ(c.call(peer.address().c_str()), 0) << c.name;
    EXPECT_TRUE(peer.AllStepsPassed()) << c.name;
  }
}

// A list that counts pairs it does not hold is not sent at all.
TEST_F(ExportTest, KillingWithAListThatLacksItsPairsSendsNothing) {
  ScriptedPeer peer({{Greet(), ExpectClosed()}});
  LnaPairList broken{2, nullptr};
  EXPECT_EQ(_rpcLnaKillConnectionsXP(peer.address().c_str(), &broken), kReplyFailed);
  EXPECT_TRUE(peer.AllStepsPassed());
}

TEST_F(ExportTest, UserListingHandsBackTheArrayUnlessTheStatusIsNegative) {
  Bytes user = Cat({Str("ann"), Str("sales"), Str("host"), Str("10.0.0.1"), Str("app"), Be16(1),
                    Be32(1), Be32(2), Be32(3), Be32(4)});
  Bytes reply = Cat({Be32(1), Be16(2), Be32(2), user, user});
  for (int16_t status : {int16_t{0}, int16_t{-19}}) {
    ScriptedPeer peer = OneCall(11, {}, status, reply);
    LnaUserList* users = nullptr;
    EXPECT_EQ(_rpcLnaEnumUsersXP(peer.address().c_str(), &users), status);
    if (status == 0) {
      ASSERT_NE(users, nullptr);
      EXPECT_EQ(MsgBufArrayCount(users, sizeof(LnaUserList)), 1u);
      ASSERT_EQ(users[0].count, 2);
      EXPECT_STREQ(users[0].users[1].text1, "ann");
      EXPECT_EQ(users[0].users[1].number[3], 4);
      MsgBufFreeArray(users, sizeof(LnaUserList), MsgBufRelease<XdrFreeUserList>);
    } else {
      EXPECT_EQ(users, nullptr);
    }
    EXPECT_TRUE(peer.AllStepsPassed());
  }
}

}  // namespace
