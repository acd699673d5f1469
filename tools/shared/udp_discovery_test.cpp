#include "tools/shared/udp_discovery.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "testing/fake_lookups.h"
#include "testing/registry_sandbox.h"
#include "tools/shared/tool_status.h"

namespace {

struct Sent {
  uint32_t address;
  uint16_t port;  // host order
  SapDatagram datagram;
  uint16_t type() const { return SapType(datagram.data(), datagram.size()); }
  uint32_t offset() const {
    uint32_t offset = 0;
    std::string_view attrib;
    SapReadRequestSources(datagram.data(), datagram.size(), &offset, &attrib);
    return offset;
  }
};

class RecordingSender : public DatagramSender {
 public:
  bool Send(uint32_t address, uint16_t port, const SapDatagram& datagram, int32_t* error) override {
    if (fail) {
      *error = 10065;
      return false;
    }
    sent.push_back(Sent{address, ntohs(port), datagram});
    return true;
  }
  std::vector<Sent> sent;
  bool fail = false;
};

std::vector<uint8_t> ServersReply(const std::vector<const char*>& addresses, uint16_t tcp_port) {
  std::vector<SapServerRecord> records;
  for (const char* a : addresses) records.push_back({Ipv4(a), htons(tcp_port)});
  SapDatagram d;
  SapMakeRespondServers(records.data(), records.size(), &d);
  return {d.begin(), d.end()};
}

std::vector<uint8_t> SourcesReply(const std::string& list, uint32_t offset) {
  SapDatagram d = SapMakeRespondSources(list, offset);
  return {d.begin(), d.end()};
}

// A list of `size` bytes of "dsNNN;d" items, ended by its empty item.
std::string ListOfSize(size_t size) {
  std::string list;
  for (int i = 0; list.size() + 12 < size; ++i) {
    std::string item = "ds" + std::to_string(1000 + i) + ";d";
    list += item;
    list.push_back('\0');
  }
  list.append(size - list.size(), 'x');
  list.back() = '\0';
  list[list.size() - 2] = '\0';
  return list;
}

class UdpDiscoveryTest : public ::testing::Test {
 protected:
  UdpDiscoveryTest() {
    testing_registry::UseSandbox();
    env_.driver_name = "VeltoClient-Debug";
    env_.broadcast_address = Ipv4("127.0.0.1");
    std::memset(&settings_, 0, sizeof settings_);
    settings_.svc_port = 1599;
    settings_.svc_clnt_time_out = 10;
    machine_ = std::make_unique<UdpDiscovery>(env_, settings_, &servers_, sender_, nullptr);
  }
  void Deliver(uint32_t now, const std::vector<uint8_t>& d, const char* from) {
    machine_->CspOnDatagram(now, d.data(), d.size(), Ipv4(from));
  }
  std::vector<Sent> SourceRequests() const {
    std::vector<Sent> out;
    for (const Sent& s : sender_.sent) {
      if (s.type() == kSapRequestSources) out.push_back(s);
    }
    return out;
  }

  FakeLookups lookups_;
  ToolEnv env_;
  ServiceSettings settings_;
  ServerEntries servers_;
  RecordingSender sender_;
  std::unique_ptr<UdpDiscovery> machine_;
};

TEST_F(UdpDiscoveryTest, BroadcastsThenAsksOnlyTheServersOfTheFirstReply) {
  machine_->Start(0);
  ASSERT_EQ(sender_.sent.size(), 1u);
  EXPECT_EQ(sender_.sent[0].type(), kSapRequestServers);
  EXPECT_EQ(sender_.sent[0].address, Ipv4("127.0.0.1"));
  EXPECT_EQ(sender_.sent[0].port, 1599);

  Deliver(1, ServersReply({"10.0.0.5", "10.0.0.6", "10.0.0.5"}, 1583), "10.0.0.5");
  Deliver(1, ServersReply({"10.0.0.9"}, 1583), "10.0.0.9");
  ASSERT_EQ(servers_.size(), 2u);  // the duplicate and the second reply left out
  EXPECT_EQ(servers_[0].address, Ipv4("10.0.0.5"));
  EXPECT_EQ(ntohs(servers_[0].port), 1583);
  EXPECT_EQ(servers_[1].address, Ipv4("10.0.0.6"));
  std::vector<Sent> requests = SourceRequests();
  ASSERT_EQ(requests.size(), 2u);
  for (const Sent& r : requests) {
    EXPECT_EQ(r.port, 1599);  // the discovery port, not the server's TCP port
    EXPECT_EQ(r.offset(), 0u);
    EXPECT_STREQ(reinterpret_cast<const char*>(r.datagram.data() + 6),
                 "ClntHostName=pc7;ClntUserName=ann;ClntIP=10.0.0.7;");
  }
  EXPECT_EQ(requests[0].address, Ipv4("10.0.0.5"));
  EXPECT_EQ(requests[1].address, Ipv4("10.0.0.6"));
  EXPECT_FALSE(machine_->done());
}

TEST_F(UdpDiscoveryTest, CollectsALongListInPiecesAtAdvancingOffsets) {
  const std::string list = ListOfSize(1200);
  machine_->Start(0);
  Deliver(0, ServersReply({"10.0.0.5"}, 1583), "10.0.0.5");
  for (uint32_t offset : {0u, 508u, 1016u}) {
    ASSERT_FALSE(machine_->done());
    ASSERT_EQ(SourceRequests().back().offset(), offset);
    Deliver(1, SourcesReply(list, offset), "10.0.0.5");
  }
  EXPECT_EQ(SourceRequests().size(), 3u);
  ASSERT_TRUE(machine_->done());
  EXPECT_EQ(machine_->result(), kCspDone);
  const ServerEntry& e = servers_[0];
  EXPECT_EQ(e.length, 1200u);
  EXPECT_EQ(e.received, 1200u);
  ASSERT_EQ(e.offered.size(), 1202u);
  EXPECT_EQ(std::string(e.offered.data(), 1200), list);
  EXPECT_EQ(e.offered[1200], '\0');
  EXPECT_EQ(e.offered[1201], '\0');
}

TEST_F(UdpDiscoveryTest, PiecesThatDoNotBelongChangeNothing) {
  const std::string list = ListOfSize(1200);
  machine_->Start(0);
  // Before any server list: a reply from anywhere neither counts nor ends the run.
  Deliver(0, SourcesReply(list, 0), "10.0.0.5");
  EXPECT_FALSE(machine_->done());
  Deliver(0, ServersReply({"10.0.0.5"}, 1583), "10.0.0.5");
  Deliver(0, SourcesReply(list, 0), "10.0.0.99");  // unknown sender
  EXPECT_EQ(servers_[0].received, 0u);
  EXPECT_FALSE(servers_[0].HasList());

  std::vector<uint8_t> short_piece = SourcesReply(list, 0);
  short_piece.resize(5);  // too short for its total
  Deliver(0, short_piece, "10.0.0.5");
  std::vector<uint8_t> huge = SourcesReply(std::string(70000, 'a'), 0);
  Deliver(0, huge, "10.0.0.5");  // beyond any list this client takes
  EXPECT_FALSE(servers_[0].HasList());

  std::vector<uint8_t> truncated = SourcesReply(list, 0);
  truncated.resize(6 + 100);  // the datagram carries 100 bytes of the piece
  Deliver(1, truncated, "10.0.0.5");
  EXPECT_EQ(servers_[0].received, 100u);
  EXPECT_EQ(SourceRequests().back().offset(), 100u);
  EXPECT_EQ(std::string(servers_[0].offered.data(), 100), list.substr(0, 100));

  std::string other = ListOfSize(3000);
  Deliver(2, SourcesReply(other, 100), "10.0.0.5");  // another total: not this list
  EXPECT_EQ(servers_[0].received, 100u);
  EXPECT_EQ(servers_[0].offered.size(), 1202u);
  for (uint32_t offset : {100u, 608u, 1116u}) Deliver(3, SourcesReply(list, offset), "10.0.0.5");
  ASSERT_TRUE(machine_->done());
  EXPECT_EQ(std::string(servers_[0].offered.data(), 1200), list);
}

TEST_F(UdpDiscoveryTest, AServerListCountBeyondTheDatagramReadsOnlyWhatItCarries) {
  machine_->Start(0);
  std::vector<uint8_t> d = ServersReply({"10.0.0.5", "10.0.0.6"}, 1583);
  d[2] = 0x00;
  d[3] = 200;               // claims 200 records
  d.resize(4 + 2 * 6 + 3);  // carries two and a half
  Deliver(0, d, "10.0.0.5");
  EXPECT_EQ(servers_.size(), 2u);
}

TEST_F(UdpDiscoveryTest, EmptyListsCompleteTheRunWithNothingOffered) {
  machine_->Start(0);
  Deliver(0, ServersReply({"10.0.0.5", "10.0.0.6"}, 1583), "10.0.0.5");
  Deliver(0, SourcesReply(std::string(), 0), "10.0.0.5");
  EXPECT_FALSE(machine_->done());
  Deliver(0, SourcesReply(std::string(), 0), "10.0.0.6");
  ASSERT_TRUE(machine_->done());
  EXPECT_EQ(machine_->result(), kCspDone);
  EXPECT_EQ(CountOfferedDataSources(servers_), 0u);
  EXPECT_EQ(SourceRequests().size(), 2u);
}

TEST_F(UdpDiscoveryTest, SilenceEndsTheRunAtTheFirstTickPastTheTimeOut) {
  struct Case {
    const char* name;
    std::vector<uint32_t> datagrams_at;  // times of server-list replies
    uint32_t ends_at;                    // the tick (every 5 s) that ends it
  } cases[] = {
      {"nothing heard", {}, 15},
      {"a reply at 7 restarts the count", {7}, 20},
      {"a timeout of 10 is not passed at exactly 10 s", {5}, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ServerEntries servers;
    RecordingSender sender;
    UdpDiscovery machine(env_, settings_, &servers, sender, nullptr);
    machine.Start(0);
    std::vector<uint8_t> empty_list = ServersReply({}, 1583);
    size_t next = 0;
    for (uint32_t tick = 5; tick <= 30; tick += 5) {
      while (next < c.datagrams_at.size() && c.datagrams_at[next] < tick) {
        machine.CspOnDatagram(c.datagrams_at[next++], empty_list.data(), empty_list.size(),
                              Ipv4("10.0.0.5"));
      }
      machine.OnTick(tick);
      if (machine.done()) {
        EXPECT_EQ(tick, c.ends_at);
        break;
      }
    }
    ASSERT_TRUE(machine.done());
    EXPECT_EQ(machine.result(), kCspTimedOut);  // no server answered with a list
  }
}

TEST_F(UdpDiscoveryTest, AtTheTimeOutAPartlyAnsweredServerCountsAsNotAnswered) {
  const std::string list = ListOfSize(1200);
  machine_->Start(0);
  Deliver(0, ServersReply({"10.0.0.5", "10.0.0.6", "10.0.0.7"}, 1583), "10.0.0.5");
  Deliver(1, SourcesReply(std::string("a;b\0\0", 5), 0), "10.0.0.5");
  Deliver(1, SourcesReply(list, 0), "10.0.0.6");  // the first of three pieces only
  machine_->OnTick(5);
  machine_->OnTick(10);
  EXPECT_FALSE(machine_->done());
  machine_->OnTick(15);
  ASSERT_TRUE(machine_->done());
  EXPECT_EQ(machine_->result(), kCspDone);
  ASSERT_EQ(servers_.size(), 1u);
  EXPECT_EQ(servers_[0].address, Ipv4("10.0.0.5"));
}

TEST_F(UdpDiscoveryTest, ASendThatFailsEndsTheRunWithASocketError) {
  sender_.fail = true;
  machine_->Start(0);
  ASSERT_TRUE(machine_->done());
  EXPECT_EQ(machine_->result(), kCspSocketError);

  ServerEntries servers;
  RecordingSender sender;
  UdpDiscovery later(env_, settings_, &servers, sender, nullptr);
  later.Start(0);
  sender.fail = true;
  std::vector<uint8_t> d = ServersReply({"10.0.0.5"}, 1583);
  later.CspOnDatagram(0, d.data(), d.size(), Ipv4("10.0.0.5"));
  ASSERT_TRUE(later.done());
  EXPECT_EQ(later.result(), kCspSocketError);
}

}  // namespace
