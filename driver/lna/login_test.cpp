#include "driver/lna/login.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "common/memory.h"
#include "common/tls_slot.h"
#include "driver/lna/net_error.h"
#include "driver/lna/rpc_call.h"
#include "driver/lna/server_pick.h"
#include "testing/net_test_support.h"
#include "wire/scramble.h"

namespace {

using namespace lna_test;
using testing_peer::ExpectRequest;
using testing_peer::Greet;
using testing_peer::ScriptedPeer;

Bytes Scrambled(const Bytes& plain) {
  Bytes out(plain.size());
  ScrambleConnString(plain.data(), plain.size(), out.data());
  return out;
}

Bytes Unscrambled(const Bytes& scrambled) {
  Bytes out(scrambled.size());
  UnscrambleConnString(scrambled.data(), scrambled.size(), out.data());
  return out;
}

Bytes Repeat(const Bytes& item, int times) {
  Bytes out;
  for (int i = 0; i < times; ++i) out.insert(out.end(), item.begin(), item.end());
  return out;
}

// The login reply's fields: the completed string (with a 2-byte prefix)
// scrambled, one data type, one table type, and recognisable values in the
// records the driver keeps.
Bytes LoginReplyFields(const std::string& completed) {
  Bytes plain = Cat({Bytes{0x11, 0x22}, Bytes(completed.begin(), completed.end())});
  Bytes server_info;
  for (int i = 0; i < 27; ++i) {
    Bytes s = Str(i == 3 ? "TestDBMS" : "Y");
    server_info.insert(server_info.end(), s.begin(), s.end());
  }
  Bytes info154;
  for (uint32_t i = 0; i < 25; ++i) info154 = Cat({info154, Be32(100 + i)});
  info154 = Cat({info154, Repeat(Be16(3), 27)});
  Bytes type_info = Cat({Str("INTEGER"), Be16(4), Be32(10), Str(""), Str(""), Str(""),
                         Repeat(Be16(1), 6), Str("int"), Be16(0), Be16(0)});
  Bytes functions;
  for (uint16_t i = 0; i < 100; ++i) functions = Cat({functions, Be16(i % 2)});
  return Cat({Be32(4711),
              Be16(0xBEEF),
              Be32(static_cast<uint32_t>(plain.size())),
              Scrambled(plain),
              Be32(8),
              server_info,
              info154,
              Repeat(Be32(5), 24),
              Be32(1),
              type_info,
              Be16(1),
              Be32(1),
              Str("TABLE"),
              Be32(1),
              Be16(1),
              functions,
              Be32(1),
              Be32(1),
              Str("master"),
              Be32(15),
              Be32(4096),
              Be32(2),
              Repeat(Be32(9), 13)});
}

struct LoginOut {
  int32_t server_conn = -1;
  RpcConnection* conn = nullptr;
  uint16_t cancel_key = 0;
  char completed[600];
  uint32_t extra = 0;
  LnaServerInfo server_info;
  LnaLoginInfo154 info154;
  LnaLoginInfo96 info96;
  LnaTypeInfo* types = nullptr;
  uint16_t type_count = 0;
  LnaTableType* table_types = nullptr;
  uint16_t table_type_count = 0;
  uint16_t functions[100];
  LnaConnectResult connect_result;
  LnaLoginInfo52 info52;

  int16_t Login(const std::string& servers, const char* conn_string, int32_t out_size = 511) {
    return _rpcLnaConnectMP(servers.c_str(), &server_conn, &conn, &cancel_key, conn_string,
                            completed, out_size, &extra, &server_info, &info154, &info96, &types,
                            &type_count, &table_types, &table_type_count, functions,
                            &connect_result, &info52);
  }
  ~LoginOut() {
    MemFree(types);
    MemFree(table_types);
    RpcConnClose(conn);
  }
};

using LoginTest = NetTest;

TEST_F(LoginTest, SendsTheScrambledStringAndKeepsWhatTheServerSays) {
  const std::string conn_string = "DSN=sales;UID=ann;PWD=secret";
  const std::string completed = "DSN=sales;UID=ann;PWD=secret";  // the same length comes back
  ScriptedPeer peer({{Greet(), ExpectRequest(),
                      testing_peer::Reply(ReplyBytes(0, LoginReplyFields(completed)))}});
  LoginOut out;
  EXPECT_EQ(out.Login(peer.address(), conn_string.c_str()), 0);
  ASSERT_NE(out.conn, nullptr);
  EXPECT_EQ(out.conn->error_kind, kRpcErrNone);

  std::vector<Bytes> received = peer.Received(0);
  ASSERT_EQ(received.size(), 1u);
  const Bytes& request = received[0];
  size_t n = conn_string.size() + 2;
  ASSERT_EQ(request.size(), 14 + 4 + n + 4);
  EXPECT_EQ(Bytes(request.begin() + 4, request.begin() + 18),
            Cat({Be32(65), Be16(1), Be16(1), Be16(1), Be32(static_cast<uint32_t>(n))}));
  Bytes plain = Unscrambled(Bytes(request.begin() + 18, request.begin() + 18 + n));
  EXPECT_LT(plain[1], 128);  // the prefix is a 15-bit number
  EXPECT_EQ(std::string(plain.begin() + 2, plain.end()), conn_string);
  EXPECT_EQ(Bytes(request.end() - 4, request.end()), Be32(511));

  EXPECT_EQ(out.server_conn, 4711);
  EXPECT_EQ(out.cancel_key, 0xBEEF);
  EXPECT_STREQ(out.completed, completed.c_str());
  EXPECT_EQ(out.extra, 8u);
  EXPECT_STREQ(out.server_info.dbms_name, "TestDBMS");
  EXPECT_EQ(out.info154.longs[4], 104u);
  EXPECT_EQ(out.info96.masks[23], 5u);
  ASSERT_EQ(out.type_count, 1);
  EXPECT_STREQ(out.types[0].type_name, "INTEGER");
  ASSERT_EQ(out.table_type_count, 1);
  EXPECT_STREQ(out.table_types[0].name, "TABLE");
  EXPECT_EQ(out.functions[99], 1);
  EXPECT_STREQ(out.connect_result.qualifier, "master");
  EXPECT_EQ(out.connect_result.packet_size, 4096u);
  EXPECT_EQ(out.info52.values[12], 9u);
}

TEST_F(LoginTest, LongConnectionStringsAreCut) {
  struct Case {
    int32_t out_size;
    size_t expected;
  };
  const Case cases[] = {{511, 510}, {600, 510}, {20, 19}};
  const std::string conn_string(600, 'k');
  for (const Case& c : cases) {
    ScriptedPeer peer(
        {{Greet(), ExpectRequest(),
          testing_peer::Reply(ReplyBytes(0, LoginReplyFields(std::string(510, 'c'))))}});
    LoginOut out;
    EXPECT_EQ(out.Login(peer.address(), conn_string.c_str(), c.out_size), 0);
    std::vector<Bytes> received = peer.Received(0);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].size(), 14 + 4 + 512 + 4u);  // prefix and 510 characters
    EXPECT_EQ(std::strlen(out.completed), c.expected) << c.out_size;
  }
}

TEST_F(LoginTest, UnreachableServersAreDroppedUntilOneAnswers) {
  std::string refused1 = RefusedAddress(), refused2 = RefusedAddress();
  for (int round = 0; round < 3; ++round) {
    ScriptedPeer peer(
        {{Greet(), ExpectRequest(), testing_peer::Reply(ReplyBytes(0, LoginReplyFields("x")))}});
    LoginOut out;
    EXPECT_EQ(out.Login(refused1 + "," + peer.address() + "," + refused2, "x"), 0);
    EXPECT_NE(out.conn, nullptr);
    EXPECT_EQ(out.server_conn, 4711);
    EXPECT_EQ(peer.accepted(), 1);
  }
}

TEST_F(LoginTest, NoReachableServerEndsTheLogin) {
  struct Case {
    std::string list;
    uint32_t code;
    size_t attempts;
  };
  const Case cases[] = {
      {RefusedAddress(), kNetErrRefused, 1},
      {RefusedAddress() + "," + RefusedAddress() + "," + RefusedAddress(), kNetErrRefused, 3},
      {",,", kNetErrHostNotFound, 0},
      {"", kNetErrHostNotFound, 0},
  };
  for (const Case& c : cases) {
    {
      std::lock_guard<std::mutex> hold(g_waits_mutex);
      g_waits.clear();
    }
    LoginOut out;
    EXPECT_EQ(out.Login(c.list, "DSN=x"), kReplyFailed) << c.list;
    EXPECT_EQ(out.conn, nullptr) << c.list;
    EXPECT_EQ(TlsSlotGet(), c.code) << c.list;
    EXPECT_EQ(Waits().size(), 9 * c.attempts) << c.list;  // nine waits per server tried
  }
}

TEST_F(LoginTest, AReplyThatCannotBeReadStillHandsBackTheConnection) {
  Bytes fields = LoginReplyFields("x");
  fields.pop_back();  // the last record cut short
  ScriptedPeer peer({{Greet(), ExpectRequest(), testing_peer::Reply(ReplyBytes(0, fields))}});
  LoginOut out;
  EXPECT_EQ(out.Login(peer.address(), "x"), kReplyFailed);
  ASSERT_NE(out.conn, nullptr);  // the caller closes it
  EXPECT_EQ(out.conn->error_kind, kRpcErrUnpack);
  EXPECT_EQ(out.server_conn, 0);
  EXPECT_EQ(out.types, nullptr);
  EXPECT_EQ(out.type_count, 0);
  EXPECT_EQ(out.table_types, nullptr);
  EXPECT_STREQ(out.completed, "");
}

TEST_F(LoginTest, TheApplicationsRandomSequenceIsLeftAlone) {
  std::srand(1234);
  int expected[3] = {std::rand(), std::rand(), std::rand()};
  std::srand(1234);
  uint8_t text[kLoginMaxText];
  for (int i = 0; i < 3; ++i) {
    BuildLoginText("DSN=x", text);
    char list[] = "a:1,b:2,c:3";
    char entry[8];
    PickServerFromList(list, entry, sizeof entry, nullptr);
  }
  for (int value : expected) EXPECT_EQ(std::rand(), value);
}

TEST_F(LoginTest, TheLoginTextIsAFifteenBitPrefixAndTheString) {
  uint8_t text[kLoginMaxText];
  bool high_byte_varies = false;
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(BuildLoginText("DSN=x", text), 7u);
    EXPECT_LT(text[1], 128);
    if (text[1] != 0) high_byte_varies = true;
    EXPECT_EQ(std::memcmp(text + 2, "DSN=x", 5), 0);
  }
  EXPECT_TRUE(high_byte_varies);
  EXPECT_EQ(BuildLoginText(nullptr, text), 2u);
}

}  // namespace
