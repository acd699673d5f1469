#include "server/discovery_service.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/config.h"
#include "server/options.h"
#include "testing/scripted_backend.h"

namespace velsrv {
namespace {

uint32_t Ip(const char* dotted) {
  in_addr a{};
  inet_pton(AF_INET, dotted, &a);
  return a.s_addr;
}

class DiscoveryAnswerTest : public ::testing::Test {
 protected:
  std::unique_ptr<ServerContext> Context(ServerConfig config) {
    auto context = std::make_unique<ServerContext>(config, backend_);
    context->set_listen_port(1600);
    return context;
  }
  std::vector<SapServerRecord> Servers(const ServerContext& context) {
    SapDatagram request = SapMakeRequestServers();
    SapDatagram reply;
    EXPECT_TRUE(DiscoveryAnswer(context, Ip("10.0.0.5"), request.data(), request.size(), &reply));
    SapServerRecord records[kSapMaxServerRecords];
    size_t n = 0;
    EXPECT_TRUE(SapReadRespondServers(reply.data(), reply.size(), records, &n));
    return {records, records + n};
  }
  ScriptedBackend backend_;
};

TEST_F(DiscoveryAnswerTest, TheServerListIsTheSettingOrThisServer) {
  ServerConfig config;
  std::vector<SapServerRecord> self = Servers(*Context(config));
  ASSERT_EQ(self.size(), 1u);
  EXPECT_EQ(self[0].address, Ip("10.0.0.5"));
  EXPECT_EQ(ntohs(self[0].port), 1600);

  config.server_list = {{"10.0.0.8", 1583}, {"10.0.0.9", 1584}};
  std::vector<SapServerRecord> listed = Servers(*Context(config));
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[1].address, Ip("10.0.0.9"));
  EXPECT_EQ(ntohs(listed[1].port), 1584);
}

TEST_F(DiscoveryAnswerTest, SourcesComeInPiecesAtTheRequestedOffset) {
  ServerConfig config;
  for (int i = 0; i < 60; ++i)
    config.dsns.push_back(DsnEntry{"source" + std::to_string(i), "some words", ""});
  auto context = Context(config);
  std::string list;
  for (const DsnEntry& e : config.dsns) list += e.name + ";" + e.description + '\0';
  list.push_back('\0');
  ASSERT_GT(list.size(), 2 * kSapMaxSourcesPiece);

  std::string collected;
  for (uint32_t offset : {0u, 508u, 1016u, static_cast<uint32_t>(list.size()), 100000u}) {
    SCOPED_TRACE(offset);
    SapDatagram request = SapMakeRequestSources(offset, "ClntHostName=pc7;");
    SapDatagram reply;
    ASSERT_TRUE(DiscoveryAnswer(*context, Ip("10.0.0.5"), request.data(), request.size(), &reply));
    uint32_t total = 0;
    const uint8_t* piece = nullptr;
    size_t size = 0;
    ASSERT_TRUE(SapReadRespondSources(reply.data(), reply.size(), &total, &piece, &size));
    EXPECT_EQ(total, list.size());
    size_t expected = offset < list.size() ? std::min(list.size() - offset, size_t{508}) : 0;
    collected.append(reinterpret_cast<const char*>(piece), expected);
    // Past the list's end the piece is all zero.
    for (size_t i = expected; i < size; ++i) ASSERT_EQ(piece[i], 0) << i;
  }
  EXPECT_EQ(collected, list);
}

TEST_F(DiscoveryAnswerTest, WhatIsNoRequestGetsNoAnswer) {
  auto context = Context(ServerConfig());
  SapDatagram sources = SapMakeRequestSources(0, "x");
  SapDatagram other;
  SapMakeRespondServers(nullptr, 0, &other);
  struct Case {
    const char* name;
    const uint8_t* data;
    size_t size;
  } cases[] = {
      {"nothing", sources.data(), 0},
      {"one byte", sources.data(), 1},
      {"a sources request without its offset", sources.data(), 5},
      {"a reply", other.data(), other.size()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SapDatagram reply;
    EXPECT_FALSE(DiscoveryAnswer(*context, Ip("10.0.0.5"), c.data, c.size, &reply));
  }
}

TEST(DiscoveryPortTest, DefaultsTo1599AndZeroSwitchesItOff) {
  EXPECT_EQ(ServerConfig().discovery_port, 1599);
  struct Case {
    const char* text;
    bool ok;
    uint16_t port;
  } cases[] = {
      {"discovery_port = 0\n", true, 0},
      {"discovery_port = 1700\n", true, 1700},
      {"discovery_port = 70000\n", false, 1599},
      {"discovery_port = udp\n", false, 1599},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ServerConfig config;
    std::string error;
    EXPECT_EQ(ParseConfigText(c.text, &config, &error), c.ok) << error;
    EXPECT_EQ(config.discovery_port, c.port);
  }
  const char* argv[] = {"velsrv", "--discovery-port=0"};
  ServerConfig config;
  CommandLine line;
  std::string error;
  ASSERT_TRUE(ParseCommandLine(2, argv, &config, &line, &error)) << error;
  EXPECT_EQ(config.discovery_port, 0);
}

}  // namespace
}  // namespace velsrv
