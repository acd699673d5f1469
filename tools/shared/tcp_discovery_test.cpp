#include "tools/shared/tcp_discovery.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/profile.h"
#include "testing/fake_lookups.h"
#include "testing/name_list.h"
#include "testing/registry_sandbox.h"
#include "tools/shared/tool_status.h"
#include "tools/shared/user_attrib.h"

namespace {

// Servers behind the driver's exports: each server text answers with its
// list of servers, and each "address.port" with its data sources.
struct FakeServers {
  std::map<std::string, std::string> server_lists;
  std::map<std::string, std::string> data_sources;
  std::vector<std::string> calls;
  std::vector<int32_t> rooms;          // the room of each data-source request
  std::set<std::string> answers_once;  // servers that fail every later request
  std::map<std::string, int> answered;
  std::string last_attrib;

  static std::vector<std::string> Items(const std::string& list) {
    std::vector<std::string> items;
    for (size_t at = 0; at < list.size() && list[at] != '\0';) {
      items.emplace_back(list.c_str() + at);
      at += items.back().size() + 1;
    }
    return items;
  }

  DriverExports Exports() {
    DriverExports e;
    e.get_server_list = [this](const char* server, const char* attrib, char* buffer,
                               int32_t size) -> int16_t {
      calls.push_back(std::string("list ") + server);
      last_attrib = attrib;
      auto it = server_lists.find(server);
      if (it == server_lists.end()) return 3;
      std::snprintf(buffer, static_cast<size_t>(size), "%s", it->second.c_str());
      return 0;
    };
    e.get_data_sources = [this](const char* server, const char*, uint8_t* buffer,
                                int32_t* size) -> int16_t {
      calls.push_back(std::string("sources ") + server);
      rooms.push_back(*size);
      auto it = data_sources.find(server);
      if (it == data_sources.end()) return -20;
      if (answers_once.count(server) != 0 && ++answered[server] > 1) return -20;
      // As velsrv does: the items that fit the room whole, and the empty one.
      std::string list;
      for (const std::string& item : Items(it->second)) {
        if (list.size() + item.size() + 2 > static_cast<size_t>(*size)) break;
        list += item;
        list.push_back('\0');
      }
      list.push_back('\0');
      std::memcpy(buffer, list.data(), list.size());
      *size = static_cast<int32_t>(list.size());
      return 0;
    };
    return e;
  }
};

const std::string kSales("Sales;Sales data\0Stock;\0\0", 25);

class TcpDiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_registry::UseSandbox();
    ProfileWriteString("HKEY_CURRENT_USER\\SOFTWARE\\Velto", "Client", "OemUserName", nullptr);
    env_.driver_name = "VeltoClient-Debug";
    env_.driver = fake_.Exports();
    std::memset(&settings_, 0, sizeof settings_);
    settings_.use_server_list = 1;
    settings_.svc_srv_port = 1583;
  }
  void TearDown() override {
    ProfileWriteString("HKEY_CURRENT_USER\\SOFTWARE\\Velto", "Client", "OemUserName", nullptr);
  }
  int32_t Discover() { return DiscoverDataSources(env_, &servers_, settings_); }

  FakeLookups lookups_;
  FakeServers fake_;
  ToolEnv env_;
  ServiceSettings settings_;
  ServerEntries servers_;
};

TEST_F(TcpDiscoveryTest, TheFirstServerThatAnswersGivesTheServersToAsk) {
  std::snprintf(settings_.server_list, sizeof settings_.server_list, "a:1583;b:1583;c:1583");
  fake_.server_lists["b:1583"] = "Server=10.0.0.5;Port=1583;Server=10.0.0.6;Port=1600;";
  fake_.data_sources["10.0.0.5.1583"] = kSales;
  fake_.data_sources["10.0.0.6.1600"] = std::string("Hr;\0\0", 5);
  EXPECT_EQ(Discover(), kCspDone);
  EXPECT_EQ(fake_.calls,
            (std::vector<std::string>{"list a:1583", "list b:1583", "sources 10.0.0.5.1583",
                                      "sources 10.0.0.6.1600"}));
  EXPECT_EQ(fake_.last_attrib, "ClntHostName=pc7;ClntUserName=ann;ClntIP=10.0.0.7;");
  ASSERT_EQ(servers_.size(), 2u);
  EXPECT_EQ(servers_[0].address, Ipv4("10.0.0.5"));
  EXPECT_EQ(ntohs(servers_[0].port), 1583);
  EXPECT_EQ(servers_[0].length, kSales.size());
  ASSERT_EQ(servers_[0].offered.size(), kSales.size() + 2);
  EXPECT_EQ(std::string(servers_[0].offered.data(), kSales.size()), kSales);
  std::vector<std::string_view> items = OfferedItems(servers_[0]);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(OfferedName(items[0]), "Sales");
  EXPECT_EQ(OfferedDescription(items[0]), "Sales data");
  EXPECT_EQ(OfferedDescription(items[1]), "");
  EXPECT_EQ(CountOfferedDataSources(servers_), 3u);
}

TEST_F(TcpDiscoveryTest, CandidatesAndOutcomes) {
  struct Case {
    const char* name;
    const char* server_list;
    const char* direct_server;  // non-null: direct mode
    bool broadcasting;
    std::string reply;  // what db:1583 (or the direct server) lists
    int32_t result;
    size_t entries;
    std::vector<std::string> calls;
  } cases[] = {
      {"every candidate fails",
       "a:1583;b:1583",
       nullptr,
       false,
       "",
       kCspNothingFound,
       0,
       {"list a:1583", "list b:1583"}},
      {"direct mode asks the one server",
       "a:1583",
       "db1",
       false,
       "",
       kCspNothingFound,
       0,
       {"list db1:1600"}},
      {"an empty server list without broadcasting", "", nullptr, false, "", kCspDone, 0, {}},
      {"a last pair without its port item",
       "db:1583",
       nullptr,
       false,
       "Server=10.0.0.5;Port=1583;Server=10.0.0.6",
       kCspDone,
       1,
       {"list db:1583", "sources 10.0.0.5.1583"}},
      {"malformed pairs are skipped, never read past",
       "db:1583",
       nullptr,
       false,
       "Srv=1;Port=1;Server=10.0.0.999;Port=1583;Server=10.0.0.6;Port=99999;"
       "Server=10.0.0.6;Pt=;Server=10.0.0.5;Port=1583x;Server=10.0.0.5;Port=1583;",
       kCspDone,
       1,
       {"list db:1583", "sources 10.0.0.5.1583"}},
      {"no server answers for its data sources",
       "db:1583",
       nullptr,
       false,
       "Server=10.0.0.9;Port=1583;",
       kCspNothingFound,
       0,
       {"list db:1583", "sources 10.0.0.9.1583"}},
      {"an empty list of servers",
       "db:1583",
       nullptr,
       false,
       "",
       kCspNothingFound,
       0,
       {"list db:1583"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake_ = FakeServers();
    env_.driver = fake_.Exports();
    servers_.clear();
    std::snprintf(settings_.server_list, sizeof settings_.server_list, "%s", c.server_list);
    settings_.use_server_list = c.direct_server == nullptr;
    settings_.svc_enable_broadcasting = c.broadcasting;
    if (c.direct_server != nullptr) {
      std::snprintf(settings_.svc_server, sizeof settings_.svc_server, "%s", c.direct_server);
      settings_.svc_srv_port = 1600;
    }
    fake_.server_lists["db:1583"] = c.reply;
    fake_.data_sources["10.0.0.5.1583"] = kSales;
    EXPECT_EQ(Discover(), c.result);
    EXPECT_EQ(servers_.size(), c.entries);
    EXPECT_EQ(fake_.calls, c.calls);
  }
}

TEST_F(TcpDiscoveryTest, AListTheReplyMayHaveCutIsAskedForAgainWithMoreRoom) {
  // Items of 27 bytes with their NUL: 151 fit 4096 bytes, 2427 fit 65536.
  auto offering = [](int count) {
    std::vector<std::string> items;
    for (int i = 0; i < count; ++i) {
      char item[40];
      std::snprintf(item, sizeof item, "dsn%05d;description of it", i);
      items.push_back(item);
    }
    return NulSeparatedList(items);
  };
  struct Case {
    const char* name;
    int items;
    bool second_ask_fails;
    std::vector<int32_t> rooms;
    size_t items_kept;
    bool partial;
  } cases[] = {
      {"a list that leaves room", 90, false, {4096}, 90, false},
      {"a list the first reply cuts", 250, false, {4096, 65536}, 250, false},
      {"a list that leaves little room but is whole", 130, false, {4096, 65536}, 130, false},
      {"a list even the larger reply cuts", 2500, false, {4096, 65536}, 2427, true},
      {"a server that fails the second request", 250, true, {4096, 65536}, 151, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake_ = FakeServers();
    env_.driver = fake_.Exports();
    servers_.clear();
    std::snprintf(settings_.server_list, sizeof settings_.server_list, "db:1583");
    fake_.server_lists["db:1583"] = "Server=10.0.0.5;Port=1583;";
    fake_.data_sources["10.0.0.5.1583"] = offering(c.items);
    if (c.second_ask_fails) fake_.answers_once.insert("10.0.0.5.1583");
    EXPECT_EQ(Discover(), kCspDone);
    EXPECT_EQ(fake_.rooms, c.rooms);
    ASSERT_EQ(servers_.size(), 1u);
    EXPECT_EQ(OfferedItems(servers_[0]).size(), c.items_kept);
    EXPECT_EQ(servers_[0].partial, c.partial);
  }
}

TEST_F(TcpDiscoveryTest, TheAttributeStringNamesThisClient) {
  struct Case {
    const char* name;
    std::string host;
    std::string user;
    bool host_resolves;
    const char* oem;
    std::string expected;
  } cases[] = {
      {"all known", "pc7", "ann", true, nullptr,
       "ClntHostName=pc7;ClntUserName=ann;ClntIP=10.0.0.7;"},
      {"an empty OemUserName adds nothing", "pc7", "ann", true, "",
       "ClntHostName=pc7;ClntUserName=ann;ClntIP=10.0.0.7;"},
      {"OemUserName set", "pc7", "ann", true, "x",
       "ClntHostName=pc7;ClntUserName=ann;ClntIP=10.0.0.7;OemUserName=x;"},
      {"no host name", "", "ann", true, nullptr,
       "ClntHostName=Unknown;ClntUserName=ann;ClntIP=0.0.0.0;"},
      {"a host without an address", "pc7", "", false, nullptr,
       "ClntHostName=pc7;ClntUserName=Unknown;ClntIP=0.0.0.0;"},
      {"names too long for their fields", std::string(65, 'h'), std::string(64, 'u'), true, nullptr,
       "ClntHostName=Unknown;ClntUserName=Unknown;ClntIP=0.0.0.0;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeLookups r;
    r.host = c.host;
    r.user = c.user;
    if (!c.host_resolves) r.hosts.clear();
    r.hosts[std::string(65, 'h')] = {Ipv4("10.0.0.8")};
    ProfileWriteString("HKEY_CURRENT_USER\\SOFTWARE\\Velto", "Client", "OemUserName", c.oem);
    EXPECT_EQ(BuildUserAttribString(), c.expected);
  }
  // The longest of every part still fits the request's 256 bytes.
  FakeLookups longest;
  longest.host = std::string(64, 'h');
  longest.user = std::string(63, 'u');
  longest.hosts[longest.host] = {Ipv4("255.255.255.255")};
  ProfileWriteString("HKEY_CURRENT_USER\\SOFTWARE\\Velto", "Client", "OemUserName",
                     std::string(63, 'o').c_str());
  std::string text = BuildUserAttribString();
  EXPECT_LE(text.size(), kUserAttribMax);
  EXPECT_EQ(text.substr(text.size() - 13), std::string(12, 'o') + ";");
}

}  // namespace
