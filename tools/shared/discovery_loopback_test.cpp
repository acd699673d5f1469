// Discovery on real sockets, on loopback only: the UDP poll loop against
// small discovery services of the test's own and against velsrv's, and the
// TCP path through the driver's exports against velsrv.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "driver/lna/server_list_exports.h"
#include "platform/odbc_dsn.h"
#include "testing/child_process.h"
#include "testing/fake_lookups.h"
#include "testing/name_list.h"
#include "testing/registry_sandbox.h"
#include "testing/temp_dir.h"
#include "tools/shared/registration.h"
#include "tools/shared/tcp_discovery.h"
#include "tools/shared/tool_status.h"
#include "tools/shared/udp_discovery_run.h"
#include "wire/sap_datagram.h"

namespace {

// A datagram socket bound to address:port (port 0: any); -1 when taken.
int BoundUdp(const char* address, uint16_t port) {
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = Ipv4(address);
  sa.sin_port = htons(port);
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    if (fd >= 0) close(fd);
    return -1;
  }
  return fd;
}

uint16_t PortOf(int fd) {
  sockaddr_in sa{};
  socklen_t len = sizeof sa;
  getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len);
  return ntohs(sa.sin_port);
}

// A discovery service of the test's own on one socket: it lists `servers`
// and hands out `list` (or stays silent when asked for its data sources).
class FakeService {
 public:
  FakeService(int fd, std::vector<SapServerRecord> servers, std::string list, bool answers_sources)
      : fd_(fd), servers_(std::move(servers)), list_(std::move(list)), answers_(answers_sources) {
    thread_ = std::thread([this] { Serve(); });
  }
  ~FakeService() {
    stop_ = true;
    thread_.join();
    close(fd_);
  }

 private:
  void Serve() {
    uint8_t buffer[kSapDatagramSize];
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      sockaddr_in peer{};
      socklen_t len = sizeof peer;
      ssize_t n = recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&peer), &len);
      if (n <= 0) continue;
      SapDatagram reply;
      uint32_t offset = 0;
      std::string_view attrib;
      if (SapType(buffer, static_cast<size_t>(n)) == kSapRequestServers) {
        SapMakeRespondServers(servers_.data(), servers_.size(), &reply);
      } else if (answers_ &&
                 SapReadRequestSources(buffer, static_cast<size_t>(n), &offset, &attrib)) {
        reply = SapMakeRespondSources(list_, offset);
      } else {
        continue;
      }
      sendto(fd_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&peer), len);
    }
  }

  int fd_;
  std::vector<SapServerRecord> servers_;
  std::string list_;
  bool answers_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

class DiscoveryLoopbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_registry::UseSandbox();
    env_.driver_name = "VeltoClient-Debug";
    env_.udp_tick_ms = 100;
    std::memset(&settings_, 0, sizeof settings_);
    settings_.use_server_list = 1;
    settings_.svc_enable_broadcasting = 1;
    settings_.svc_clnt_time_out = 0;  // the first tick a second after the last datagram
  }
  // Two sockets on the same port of 127.0.0.2 and 127.0.0.3.
  bool PairOfSockets(int* a, int* b) {
    for (int attempt = 0; attempt < 20; ++attempt) {
      *a = BoundUdp("127.0.0.2", 0);
      if (*a < 0) return false;
      *b = BoundUdp("127.0.0.3", PortOf(*a));
      if (*b >= 0) return true;
      close(*a);
    }
    return false;
  }

  FakeLookups lookups_;
  ToolEnv env_;
  ServiceSettings settings_;
  ServerEntries servers_;
};

TEST_F(DiscoveryLoopbackTest, CollectsTheListsOfEveryServerTheFirstServiceNames) {
  int a, b;
  ASSERT_TRUE(PairOfSockets(&a, &b));
  settings_.svc_port = PortOf(a);
  env_.broadcast_address = Ipv4("127.0.0.2");
  std::string long_list;
  for (int i = 0; i < 100; ++i) long_list += "source" + std::to_string(i) + ";d" + '\0';
  long_list.push_back('\0');
  std::vector<SapServerRecord> both = {{Ipv4("127.0.0.2"), htons(1583)},
                                       {Ipv4("127.0.0.3"), htons(1584)}};
  FakeService first(a, both, long_list, true);
  FakeService second(b, {}, NulSeparatedList({"Sales;Sales data"}), true);
  ASSERT_EQ(CspEnumByUdp(env_, &servers_, settings_), kCspDone);
  ASSERT_EQ(servers_.size(), 2u);
  EXPECT_EQ(servers_[0].length, long_list.size());
  EXPECT_EQ(std::string(servers_[0].offered.data(), long_list.size()), long_list);
  EXPECT_EQ(ntohs(servers_[1].port), 1584);
  EXPECT_EQ(CountOfferedDataSources(servers_), 101u);
}

TEST_F(DiscoveryLoopbackTest, AServerThatNeverSendsItsListIsLeftOutAtTheTimeOut) {
  int a, b;
  ASSERT_TRUE(PairOfSockets(&a, &b));
  settings_.svc_port = PortOf(a);
  env_.broadcast_address = Ipv4("127.0.0.2");
  std::vector<SapServerRecord> both = {{Ipv4("127.0.0.2"), htons(1583)},
                                       {Ipv4("127.0.0.3"), htons(1584)}};
  FakeService first(a, both, NulSeparatedList({"Sales"}), true);
  FakeService second(b, {}, "", false);
  ASSERT_EQ(CspEnumByUdp(env_, &servers_, settings_), kCspDone);
  ASSERT_EQ(servers_.size(), 1u);
  EXPECT_EQ(servers_[0].address, Ipv4("127.0.0.2"));
}

TEST_F(DiscoveryLoopbackTest, NoServiceAnsweringTimesOut) {
  int unused = BoundUdp("127.0.0.2", 0);
  ASSERT_GE(unused, 0);
  settings_.svc_port = PortOf(unused);
  close(unused);  // nobody listens there now
  env_.broadcast_address = Ipv4("127.0.0.2");
  EXPECT_EQ(CspEnumByUdp(env_, &servers_, settings_), kCspTimedOut);
  EXPECT_TRUE(servers_.empty());
}

// velsrv with its discovery service on a free port of 127.0.0.1.
class Velsrv {
 public:
  Velsrv() {
    int probe = BoundUdp("127.0.0.1", 0);
    if (probe < 0) return;
    discovery_port_ = PortOf(probe);
    close(probe);
    std::string conf = dir_.Write("velsrv.conf",
                                  "[server]\nlisten = 127.0.0.1\nport = 0\n"
                                  "discovery_port = " +
                                      std::to_string(discovery_port_) +
                                      "\n[dsn sales]\ndescription = Sales data\n"
                                      "[dsn stock]\n");
    pid_ = testing_child::Start({VELSRV_PATH, "--config", conf}, &out_);
    std::string line;
    // Discovery is bound before the listening line comes.
    if (pid_ > 0 && ReadLine(&line) &&
        sscanf(line.c_str(), "velsrv: listening on 127.0.0.1:%u", &tcp_port_) == 1) {
      running_ = tcp_port_ != 0;
    }
  }
  ~Velsrv() {
    if (pid_ > 0) kill(pid_, SIGTERM);
    testing_child::Finish(pid_, out_, nullptr);
  }
  bool running() const { return running_; }
  uint16_t tcp_port() const { return static_cast<uint16_t>(tcp_port_); }
  uint16_t discovery_port() const { return discovery_port_; }

 private:
  // One line of its output, waiting at most 10 seconds for it.
  bool ReadLine(std::string* line) {
    line->clear();
    char c;
    for (;;) {
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, 10000) <= 0 || read(out_, &c, 1) != 1) return false;
      if (c == '\n') return true;
      line->push_back(c);
    }
  }

  TempDir dir_;
  int pid_ = -1;
  int out_ = -1;
  unsigned tcp_port_ = 0;
  uint16_t discovery_port_ = 0;
  bool running_ = false;
};

TEST_F(DiscoveryLoopbackTest, VelsrvAnswersDiscoveryOverUdpAndTcp) {
  Velsrv server;
  ASSERT_TRUE(server.running());
  const std::string offered = NulSeparatedList({"sales;Sales data", "stock;"});

  settings_.svc_port = server.discovery_port();
  env_.broadcast_address = Ipv4("127.0.0.1");
  ASSERT_EQ(CspEnumByUdp(env_, &servers_, settings_), kCspDone);
  ASSERT_EQ(servers_.size(), 1u);
  EXPECT_EQ(servers_[0].address, Ipv4("127.0.0.1"));
  EXPECT_EQ(ntohs(servers_[0].port), server.tcp_port());
  EXPECT_EQ(std::string(servers_[0].offered.data(), servers_[0].length), offered);

  ServerEntries over_tcp;
  env_.driver.get_server_list = _rpcServGetServerList;
  env_.driver.get_data_sources = _rpcServGetDataSources;
  std::snprintf(settings_.server_list, sizeof settings_.server_list, "127.0.0.1:%u",
                static_cast<unsigned>(server.tcp_port()));
  ASSERT_EQ(DiscoverDataSources(env_, &over_tcp, settings_), kCspDone);
  ASSERT_EQ(over_tcp.size(), 1u);
  EXPECT_EQ(over_tcp[0].port, servers_[0].port);
  EXPECT_EQ(std::string(over_tcp[0].offered.data(), over_tcp[0].length), offered);

  ASSERT_EQ(RegisterServerDataSources(env_, over_tcp, settings_, nullptr), kCspDone);
  std::string server_name;
  ASSERT_TRUE(PlatDsnGetValue(PlatDsnScope::kUser, "sales", "ServerName", &server_name));
  EXPECT_EQ(server_name, "127.0.0.1." + std::to_string(server.tcp_port()));
}

}  // namespace
