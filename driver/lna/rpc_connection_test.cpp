#include "driver/lna/rpc_connection.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "common/tls_slot.h"
#include "driver/lna/net_error.h"
#include "driver/lna/rpc_call.h"
#include "driver/lna/stmt_stubs.h"
#include "testing/net_test_support.h"

namespace {

using namespace lna_test;
using namespace testing_peer;

using RpcConnectionTest = NetTest;

TEST_F(RpcConnectionTest, OpenSendsTheGreetingAndCreatesTheLock) {
  ScriptedPeer peer({{RecordGreeting(), SendGreeting(kGreetingSize)}});
  RpcConnection* conn = RpcConnOpen(peer.address().c_str(), "TCP");
  ASSERT_NE(conn, nullptr);
  EXPECT_EQ(conn->socket, conn->transport);
  EXPECT_EQ(conn->lock_valid, 1u);
  EXPECT_EQ(conn->error_kind, 0);
  std::vector<Bytes> received = peer.Received(0);
  ASSERT_EQ(received.size(), 1u);
  Bytes greeting(255, 0);
  std::memcpy(greeting.data(), "Some client string", 18);
  EXPECT_EQ(received[0], greeting);
  RpcConnClose(conn);
}

size_t OpenDescriptors() {
  size_t n = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir) != nullptr) ++n;
    closedir(dir);
  }
  return n;
}

TEST_F(RpcConnectionTest, AFailedGreetingFailsTheOpenAndClosesTheSocket) {
  struct Case {
    const char* name;
    Script script;
  };
  const Case cases[] = {
      {"greeting cut short", {ReadGreeting(), SendGreeting(100), CloseConnection()}},
      {"no greeting at all", {ReadGreeting(), CloseConnection()}},
  };
  for (const Case& c : cases) {
    size_t before = OpenDescriptors();
    ScriptedPeer peer({c.script});
    EXPECT_EQ(RpcConnOpen(peer.address().c_str(), nullptr), nullptr) << c.name;
    EXPECT_EQ(TlsSlotGet(), kNetErrClosed) << c.name;
    EXPECT_TRUE(peer.AllStepsPassed()) << c.name;
    EXPECT_EQ(OpenDescriptors(), before) << c.name;  // nothing of the client left open
  }
  EXPECT_EQ(RpcConnOpen(RefusedAddress().c_str(), nullptr), nullptr);
  EXPECT_EQ(TlsSlotGet(), kNetErrRefused);
}

TEST_F(RpcConnectionTest, DescriptorZeroIsAConnectionLikeAnyOther) {
  ScriptedPeer peer(
      {{Greet(), ExpectRequest(RequestBytes(4, 1, Be32(7))), Reply(ReplyBytes(0, {}))}});
  int saved = dup(0);
  ASSERT_GE(saved, 0);
  close(0);
  RpcConnection* conn = RpcConnOpen(peer.address().c_str(), nullptr);
  ASSERT_NE(conn, nullptr);
  EXPECT_EQ(conn->socket, 0);
  EXPECT_EQ(_rpcLnaCancelSP(&conn, 7), 0);
  struct stat open_socket {};
  ASSERT_EQ(fstat(0, &open_socket), 0);
  RpcConnClose(conn);
  // Closed with the connection: descriptor 0 is free, or (taken again at
  // once by another thread of the process) no longer that socket.
  struct stat now {};
  EXPECT_TRUE(fstat(0, &now) != 0 || now.st_ino != open_socket.st_ino);
  EXPECT_TRUE(peer.AllStepsPassed());
  dup2(saved, 0);
  close(saved);
}

TEST_F(RpcConnectionTest, EveryRequestGetsTheNextSequenceNumber) {
  ScriptedPeer peer({{Greet(), ExpectRequest(RequestBytes(4, 1, Be32(7))), Reply(ReplyBytes(0, {})),
                      ExpectRequest(RequestBytes(4, 2, Be32(7))), Reply(ReplyBytes(0, {})),
                      ExpectRequest(RequestBytes(4, 0, Be32(7))), Reply(ReplyBytes(0, {}))}});
  RpcConnection* conn = RpcConnOpen(peer.address().c_str(), nullptr);
  ASSERT_NE(conn, nullptr);
  EXPECT_EQ(_rpcLnaCancelSP(&conn, 7), 0);
  EXPECT_EQ(_rpcLnaCancelSP(&conn, 7), 0);
  conn->sequence = 65535;  // wraps to 0
  EXPECT_EQ(_rpcLnaCancelSP(&conn, 7), 0);
  RpcConnClose(conn);
  EXPECT_TRUE(peer.AllStepsPassed());
}

int32_t FailingSend(NetSocket, const void*, int32_t) {
  TlsSlotSet(126);
  return -1;
}

TEST_F(RpcConnectionTest, CallFailuresSetTheirErrorKind) {
  struct Case {
    const char* name;
    Script script;
    bool failing_send;
    int32_t kind;
    uint32_t code;
  };
  const Case cases[] = {
      {"request not sent", {Greet()}, true, kRpcErrSend, 126},
      {"no reply",
       {Greet(), ExpectRequest(), CloseConnection()},
       false,
       kRpcErrReceive,
       kNetErrClosed},
      {"reply shorter than its header",
       {Greet(), ExpectRequest(), Reply(Bytes{0, 0, 0, 0, 0, 0, 0, 0})},
       false,
       kRpcErrReceive,
       kWireErrBadRead},
      {"wrong magic",
       {Greet(), ExpectRequest(), SendRaw(Be32(0x1A5DB227))},
       false,
       kRpcErrReceive,
       kWireErrBadRead},
      // Procedure 4, the first request of the connection: sequence 1.
      {"reply to another procedure",
       {Greet(), ExpectRequest(), ReplyAsIs(Cat({Be32(0), Be32(13), Be16(1), Be16(0), Be16(1)}))},
       false,
       kRpcErrReceive,
       kWireErrBadRead},
      {"reply to another request",
       {Greet(), ExpectRequest(), ReplyAsIs(Cat({Be32(0), Be32(4), Be16(2), Be16(0), Be16(1)}))},
       false,
       kRpcErrReceive,
       kWireErrBadRead},
  };
  for (const Case& c : cases) {
    ScriptedPeer peer({c.script});
    RpcConnection* conn = RpcConnOpen(peer.address().c_str(), nullptr);
    ASSERT_NE(conn, nullptr) << c.name;
    if (c.failing_send) conn->table.send = FailingSend;
    EXPECT_EQ(_rpcLnaCancelSP(&conn, 7), kReplyFailed) << c.name;
    EXPECT_EQ(conn->error_kind, c.kind) << c.name;
    EXPECT_EQ(TlsSlotGet(), c.code) << c.name;
    RpcConnClose(conn);
  }
}

TEST_F(RpcConnectionTest, AReplyNamingItsRequestIsTaken) {
  ScriptedPeer peer(
      {{Greet(), ExpectRequest(), ReplyAsIs(Cat({Be32(0), Be32(4), Be16(1), Be16(0), Be16(1)}))}});
  RpcConnection* conn = RpcConnOpen(peer.address().c_str(), nullptr);
  ASSERT_NE(conn, nullptr);
  EXPECT_EQ(_rpcLnaCancelSP(&conn, 7), 0);
  RpcConnClose(conn);
}

TEST_F(RpcConnectionTest, NoConnectionFailsWithACode) {
  RpcConnection* none = nullptr;
  TlsSlotSet(0);
  EXPECT_EQ(_rpcLnaCancelSP(&none, 7), kReplyFailed);
  EXPECT_EQ(TlsSlotGet(), kNetErrBadSocket);
  EXPECT_EQ(_rpcLnaCancelSP(nullptr, 7), kReplyFailed);
  RpcConnClose(nullptr);
}

}  // namespace
