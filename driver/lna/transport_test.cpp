#include "driver/lna/transport.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <numeric>
#include <string>
#include <thread>

#include "common/profile.h"
#include "common/tls_slot.h"
#include "driver/lna/net_error.h"
#include "driver/lna/net_stash.h"
#include "driver/lna/server_address.h"
#include "testing/net_test_support.h"
#include "testing/temp_dir.h"

namespace {

using namespace lna_test;
using testing_peer::ScriptedPeer;
using Clock = std::chrono::steady_clock;

long MsSince(Clock::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

constexpr char kProxyPath[] = "\\HKEY_CURRENT_USER\\SOFTWARE\\Velto";
constexpr char kProxySection[] = "Client\\6.1\\Firewall Tunneling";

std::string RealServer() {
  char text[kNetMaxRealServer + 1] = "";
  uint32_t size = sizeof text;
  EXPECT_EQ(NetPeerName(kNetNoSocket, kNetRealServer, text, &size), 1);
  return text;
}

TEST(NetError, SocketErrorsBecomeCodes) {
  struct Case {
    int32_t socket_error;
    uint32_t code;
  };
  const Case cases[] = {
      {kWsaEintr, 101},
      {kWsaEbadf, 102},
      {kWsaEacces, 103},
      {kWsaEfault, 104},
      {kWsaEinval, 105},
      {kWsaEmfile, 106},
      {kWsaEwouldblock, 107},
      {kWsaEnetunreach, 123},
      {kWsaEconnreset, 126},
      {kWsaEtimedout, 132},
      {kWsaEconnrefused, 133},
      {kWsaEhostunreach, 137},
      {kWsaEremote, 143},
      {kWsaEdiscon, 144},
      {kWsaSysNotReady, 145},
      {kWsaVerNotSupported, 146},
      {kWsaNotInitialised, 147},
      {kWsaHostNotFound, 148},
      {kWsaNoData, 151},
      {10072, 100},
      {0, 100},
      {11005, 100},
  };
  for (const Case& c : cases) EXPECT_EQ(NetErrorCode(c.socket_error), c.code) << c.socket_error;
}

TEST(NetError, SystemErrorsTakeTheCodesOfTheirSocketMeaning) {
  struct Case {
    int error;
    uint32_t code;
  };
  const Case cases[] = {
      {ECONNREFUSED, 133}, {ETIMEDOUT, 132}, {ENETUNREACH, 123}, {EHOSTUNREACH, 137},
      {ECONNRESET, 126},   {EPIPE, 126},     {EINTR, 101},       {EMFILE, 106},
      {EAGAIN, 107},       {ENOTSOCK, 110},  {EISCONN, 128},     {ENOENT, 100},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NetErrorCode(PlatSockErrorFromErrno(c.error)), c.code) << std::strerror(c.error);
  }
}

TEST(ServerAddress, RealServerTextTakesEitherSeparator) {
  struct Case {
    const char* given;
    const char* real;
  };
  const Case cases[] = {
      {"dbhost:1583", "dbhost:1583"},     {"dbhost.1583", "dbhost:1583"},
      {"10.1.2.3:1583", "10.1.2.3:1583"},  // a colon keeps the dots as they are
      {"10.1.2.3.1583", "10.1.2.3:1583"}, {"dbhost", "dbhost"},
  };
  for (const Case& c : cases) {
    char out[kNetMaxRealServer + 1];
    NetRealServerText(c.given, out);
    EXPECT_STREQ(out, c.real) << c.given;
  }
}

TEST(ServerAddress, Resolves) {
  struct Case {
    const char* address;
    bool ok;
    uint16_t port;
    uint32_t code;
  };
  const Case cases[] = {
      {"127.0.0.1:1583", true, 1583, 0},
      {"127.0.0.1.1583", true, 1583, 0},
      {"127.0.0.1: 1583", true, 1583, 0},
      {"127.0.0.1:http", true, 80, 0},  // a service name, through the services database
      {"127.0.0.1:no-such-service", false, 0, kNetErrNoData},
      {"dbhost", false, 0, kNetErrHostNotFound},  // no separator at all
      {"127.0.0.1:", false, 0, kNetErrHostNotFound},
      {"127.0.0.1:65536", false, 0, kNetErrHostNotFound},  // would wrap to another port
      {"127.0.0.1:99999999999", false, 0, kNetErrHostNotFound},
  };
  for (const Case& c : cases) {
    PlatInetAddress a{};
    TlsSlotSet(0);
    EXPECT_EQ(NetResolveAddress(c.address, &a), c.ok ? 1 : 0) << c.address;
    if (c.ok) {
      EXPECT_EQ(a.address, htonl(INADDR_LOOPBACK)) << c.address;
      EXPECT_EQ(a.port, c.port) << c.address;
    } else {
      EXPECT_EQ(TlsSlotGet(), c.code) << c.address;
    }
  }
}

class TransportTest : public NetTest {
 protected:
  void SetUp() override {
    NetTest::SetUp();
    ProfileWriteString(kProxyPath, kProxySection, nullptr, nullptr);
  }
  void TearDown() override {
    ProfileWriteString(kProxyPath, kProxySection, nullptr, nullptr);
    NetTest::TearDown();
  }
};

TEST_F(TransportTest, ConnectsWithEitherSeparator) {
  for (const char* separator : {":", "."}) {
    ScriptedPeer peer({{testing_peer::ReadGreeting()}});
    std::string text = "127.0.0.1" + std::string(separator) + std::to_string(peer.port());
    TlsSlotSet(77);
    NetSocket s = hNetConnect(text.c_str());
    ASSERT_NE(s, kNetNoSocket) << text;
    EXPECT_EQ(TlsSlotGet(), 0u);
    EXPECT_EQ(RealServer(), peer.address());
    uint8_t greeting[255] = {};
    EXPECT_EQ(i32NetSend(s, greeting, sizeof greeting), 255);
    EXPECT_TRUE(peer.AllStepsPassed());

    int keepalive = 0, no_delay = 0;
    socklen_t len = sizeof keepalive;
    ASSERT_EQ(getsockopt(s, SOL_SOCKET, SO_KEEPALIVE, &keepalive, &len), 0);
    EXPECT_EQ(keepalive, 1);
    // A request must not wait for the acknowledgement of the one before.
    ASSERT_EQ(getsockopt(s, IPPROTO_TCP, TCP_NODELAY, &no_delay, &len), 0);
    EXPECT_EQ(no_delay, 1);
    NetClose(s);
  }
}

TEST_F(TransportTest, ThroughTheProxyTheRealServerStaysTheRequestedOne) {
  for (const char* use : {"TRUE", "1", "true"}) {
    ScriptedPeer peer({{testing_peer::ReadGreeting()}});
    ProfileWriteString(kProxyPath, kProxySection, "UseProxyServer", use);
    ProfileWriteString(kProxyPath, kProxySection, "ProxyServer", "127.0.0.1");
    ProfileWriteString(kProxyPath, kProxySection, "ProxyPort", std::to_string(peer.port()).c_str());
    NetSocket s = hNetConnect("dbhost.1583");
    ASSERT_NE(s, kNetNoSocket) << use;
    EXPECT_EQ(RealServer(), "dbhost:1583");
    uint8_t greeting[255] = {};
    i32NetSend(s, greeting, sizeof greeting);
    EXPECT_TRUE(peer.AllStepsPassed());
    EXPECT_EQ(peer.accepted(), 1);
    NetClose(s);
  }
}

TEST_F(TransportTest, ProxyOffOrUnnamedConnectsDirectly) {
  struct Case {
    const char* use;
    const char* server;
  };
  const Case cases[] = {{"0", "127.0.0.1"}, {"yes", "127.0.0.1"}, {"1", ""}};
  for (const Case& c : cases) {
    ScriptedPeer peer({testing_peer::Script{}});
    ProfileWriteString(kProxyPath, kProxySection, "UseProxyServer", c.use);
    ProfileWriteString(kProxyPath, kProxySection, "ProxyServer", c.server);
    // A proxy port where nothing listens: using it would fail the connect.
    ProfileWriteString(kProxyPath, kProxySection, "ProxyPort",
                       std::to_string(testing_peer::UnusedLoopbackPort()).c_str());
    NetSocket s = hNetConnect(peer.address().c_str());
    EXPECT_NE(s, kNetNoSocket) << c.use << " " << c.server;
    NetClose(s);
  }
}

TEST_F(TransportTest, RefusedConnectsAreRetriedWithDoublingWaits) {
  TlsSlotSet(0);
  EXPECT_EQ(hNetConnect(RefusedAddress().c_str()), kNetNoSocket);
  EXPECT_EQ(TlsSlotGet(), kNetErrRefused);
  EXPECT_EQ(Waits(), (std::vector<uint32_t>{10, 20, 40, 80, 160, 320, 640, 1280, 2560}));
}

// A server whose SYNs are dropped answers no attempt: the connect ends with
// its deadline, not after ten attempts of 5 s each.
TEST_F(TransportTest, AnUnansweredConnectEndsAtItsDeadline) {
  ScopedSilentConnects silent;
  Clock::time_point start = Clock::now();
  TlsSlotSet(0);
  EXPECT_EQ(hNetConnect("127.0.0.1:1583", NetDeadline::After(700)), kNetNoSocket);
  EXPECT_LT(MsSince(start), 3000);
  EXPECT_EQ(TlsSlotGet(), kNetErrTimedOut);
  std::vector<int> timeouts = silent.timeouts();
  ASSERT_FALSE(timeouts.empty());
  EXPECT_LE(std::accumulate(timeouts.begin(), timeouts.end(), 0), 700);
}

void SleepAndRecord(uint32_t milliseconds) {
  RecordWait(milliseconds);
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Refused attempts are retried only while the deadline leaves time for the
// next one; the code still says refused.
TEST_F(TransportTest, RefusedConnectsStopRetryingAtTheDeadline) {
  ScopedSleep sleeping(SleepAndRecord);
  Clock::time_point start = Clock::now();
  TlsSlotSet(0);
  EXPECT_EQ(hNetConnect(RefusedAddress().c_str(), NetDeadline::After(300)), kNetNoSocket);
  EXPECT_LT(MsSince(start), 2000);  // the whole retry waits 5.1 s
  EXPECT_EQ(TlsSlotGet(), kNetErrRefused);
  std::vector<uint32_t> waits = Waits();
  EXPECT_LE(std::accumulate(waits.begin(), waits.end(), 0u), 300u);
  EXPECT_LT(waits.size(), 9u);
}

// Listens on the refused port once the second wait comes: the attempts after
// the failed ones must still be able to connect on the same socket.
int g_late_listener = -1;
uint16_t g_late_port = 0;
void OpenLateListener(uint32_t milliseconds) {
  RecordWait(milliseconds);
  if (Waits().size() != 2) return;
  g_late_listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(g_late_port);
  if (bind(g_late_listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(g_late_listener, 1) != 0) {
    ADD_FAILURE() << "cannot listen on " << g_late_port;
  }
}

TEST_F(TransportTest, AServerThatComesUpDuringTheRetriesIsReached) {
  g_late_port = testing_peer::UnusedLoopbackPort();
  ScopedSleep late(OpenLateListener);
  std::string address = "127.0.0.1:" + std::to_string(g_late_port);
  NetSocket s = hNetConnect(address.c_str());
  EXPECT_NE(s, kNetNoSocket);
  EXPECT_EQ(TlsSlotGet(), 0u);
  EXPECT_EQ(Waits(), (std::vector<uint32_t>{10, 20}));
  NetClose(s);
  close(g_late_listener);
}

TEST_F(TransportTest, OtherConnectErrorsAreNotRetried) {
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  PlatInetAddress to{htonl(INADDR_LOOPBACK), testing_peer::UnusedLoopbackPort()};
  EXPECT_EQ(NetConnectRetry(pipe_ends[0], &to), 0);  // not a socket
  EXPECT_EQ(TlsSlotGet(), 110u);
  EXPECT_TRUE(Waits().empty());
  close(pipe_ends[0]);
  close(pipe_ends[1]);
}

TEST_F(TransportTest, ReadsGatherPiecesAndReportAPeerThatCloses) {
  using testing_peer::SendRaw;
  using testing_peer::StallMs;
  Bytes piece(85, 0x5A);
  ScriptedPeer peer({
      {SendRaw(piece), StallMs(20), SendRaw(piece), StallMs(20), SendRaw(piece)},
      {SendRaw(Bytes(100, 1)), testing_peer::CloseConnection()},
  });
  uint8_t buffer[255];

  NetSocket whole = hNetConnect(peer.address().c_str());
  ASSERT_NE(whole, kNetNoSocket);
  EXPECT_EQ(i32NetRead(whole, buffer, 255), 255);
  EXPECT_EQ(buffer[254], 0x5A);

  NetSocket cut = hNetConnect(peer.address().c_str());
  ASSERT_NE(cut, kNetNoSocket);
  EXPECT_EQ(i32NetRead(cut, buffer, 255), 0);
  EXPECT_EQ(TlsSlotGet(), kNetErrClosed);
  EXPECT_EQ(i32NetRead(cut, buffer, 0), 0);
  NetClose(whole);
  NetClose(cut);
}

// What arrived in one piece serves several reads; the wait for readable
// bytes knows of it; a read larger than the stash arrives whole; a read
// whose bytes do not come fails at its bound.
TEST_F(TransportTest, ReadsAreServedFromWhatArrivedAndEndAtTheirBound) {
  using testing_peer::SendRaw;
  using testing_peer::StallMs;
  Bytes small(300);
  for (size_t i = 0; i < small.size(); ++i) small[i] = static_cast<uint8_t>(i);
  Bytes large(3 * kNetStashSize + 17);
  for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<uint8_t>(i * 7);
  ScriptedPeer peer({{SendRaw(small), StallMs(100), SendRaw(large), StallMs(1200)}});
  NetSocket s = hNetConnect(peer.address().c_str());
  ASSERT_NE(s, kNetNoSocket);

  ASSERT_EQ(NetWaitReadable(s, 2000), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  Bytes got(small.size());
  EXPECT_EQ(i32NetRead(s, got.data(), 4), 4);
  EXPECT_EQ(NetWaitReadable(s, 0), 1);  // the rest is held already
  EXPECT_EQ(i32NetRead(s, got.data() + 4, 296), 296);
  EXPECT_EQ(got, small);

  got.assign(large.size(), 0);
  EXPECT_EQ(i32NetRead(s, got.data(), static_cast<int32_t>(got.size())),
            static_cast<int32_t>(got.size()));
  EXPECT_EQ(got, large);

  // Timed out, not closed: the peer hangs up only after 1.2 s.
  NetBoundReceives(s, 200);
  TlsSlotSet(0);
  EXPECT_EQ(i32NetRead(s, got.data(), 1), -1);
  EXPECT_EQ(TlsSlotGet(), kNetErrTimedOut);
  NetClose(s);
}

TEST_F(TransportTest, SendingToAVanishedPeerFailsWithoutASignal) {
  ScriptedPeer peer({{testing_peer::CloseConnection()}});
  NetSocket s = hNetConnect(peer.address().c_str());
  ASSERT_NE(s, kNetNoSocket);
  EXPECT_TRUE(peer.AllStepsPassed());
  Bytes data(4096, 7);
  int32_t result = 0;
  // The first sends may still be taken by the system; a later one fails.
  for (int i = 0; i < 100 && result != -1; ++i) {
    result = i32NetSend(s, data.data(), static_cast<int32_t>(data.size()));
    if (result != -1) usleep(1000);
  }
  EXPECT_EQ(result, -1);
  EXPECT_EQ(TlsSlotGet(), 126u);
  NetClose(s);
}

TEST_F(TransportTest, PeerNameKinds) {
  ScriptedPeer peer({testing_peer::Script{}});
  NetSocket s = hNetConnect(peer.address().c_str());
  ASSERT_NE(s, kNetNoSocket);
  char text[64] = "";
  uint32_t size = sizeof text;
  EXPECT_EQ(NetPeerName(s, kNetPeerAddress, text, &size), 1);
  EXPECT_STREQ(text, "127.0.0.1");

  // The real server text is copied only into a buffer with room for its NUL.
  std::string real = peer.address();
  std::memset(text, 'x', sizeof text);
  size = static_cast<uint32_t>(real.size());
  EXPECT_EQ(NetPeerName(s, kNetRealServer, text, &size), 1);
  EXPECT_EQ(text[0], 'x');
  size = static_cast<uint32_t>(real.size() + 1);
  EXPECT_EQ(NetPeerName(s, kNetRealServer, text, &size), 1);
  EXPECT_EQ(std::string(text), real);

  EXPECT_EQ(NetPeerName(s, 3, text, &size), 0);
  NetClose(s);
}

TEST_F(TransportTest, TheProtocolTraceFollowsConnectsSendsAndReads) {
  const char kDriverPath[] = "HKEY_LOCAL_MACHINE\\Software\\ODBC\\ODBCINST.INI";
  TempDir dir;
  ProfileWriteString(kDriverPath, "Velto Client", "ProtocolTrace", "2");
  ProfileWriteString(kDriverPath, "Velto Client", "TraceOutput", dir.Path("protocol.log").c_str());
  ScriptedPeer peer({{testing_peer::ReadGreeting(), testing_peer::CloseConnection()}});
  NetSocket s = hNetConnect(peer.address().c_str());
  ASSERT_NE(s, kNetNoSocket);
  uint8_t greeting[255] = {};
  EXPECT_EQ(i32NetSend(s, greeting, sizeof greeting), 255);
  EXPECT_EQ(i32NetRead(s, greeting, 1), 0);
  NetClose(s);
  ProfileWriteString(kDriverPath, "Velto Client", nullptr, nullptr);

  std::string log = dir.Read("protocol.log");
  const std::string lines[] = {">hNetConnect: pszHostPort = " + peer.address(),
                               "   REG_CLI_WIN32_KEY = \\HKEY_CURRENT_USER\\SOFTWARE\\Velto.\n",
                               "   UseProxyServer = .\n",
                               "   _RealServer = " + peer.address() + ".\n",
                               "<iNetConnect returned ",
                               ">i32NetSend(0x",
                               "<i32NetSend returned 255.",
                               "   Connection closed in i32NetRead.\n",
                               "<i32NetRead returned 0."};
  for (const std::string& line : lines) {
    EXPECT_NE(log.find(line), std::string::npos) << line << " in:\n" << log;
  }
}

}  // namespace
