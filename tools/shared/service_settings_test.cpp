#include "tools/shared/service_settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/profile.h"
#include "testing/registry_sandbox.h"
#include "tools/shared/tool_status.h"

namespace {

constexpr char kDrivers[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBCINST.INI";
constexpr char kDriver[] = "VeltoClient-Debug";
constexpr char kClient[] = "HKEY_CURRENT_USER\\Software\\Velto\\Client";
constexpr char kFirewall[] = "Client\\6.1\\Firewall Tunneling";
constexpr char kVelto[] = "HKEY_CURRENT_USER\\SOFTWARE\\Velto";

class ServiceSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_registry::UseSandbox();
    ProfileWriteString(kDrivers, kDriver, nullptr, nullptr);
    ProfileWriteString(kDrivers, kDriver, "Driver", "/opt/velto/velclt32.so");
    ProfileWriteString(kClient, "6.1", nullptr, nullptr);
    ProfileWriteString(kVelto, kFirewall, nullptr, nullptr);
    env_.driver_name = kDriver;
  }
  void Service(const char* key, const char* value) {
    ASSERT_EQ(ProfileWriteString(kDrivers, kDriver, key, value), 1);
  }
  ServiceSettings Read() {
    ServiceSettings s;
    ReadServiceSettings(env_, &s);
    return s;
  }
  std::string Stored(const char* path, const char* section, const char* key) {
    char buffer[513];
    return ProfileReadString(path, section, key, nullptr, buffer, sizeof buffer) ? buffer
                                                                                 : "<missing>";
  }
  ToolEnv env_;
};

TEST_F(ServiceSettingsTest, NothingStoredReadsAsTheDefaults) {
  ServiceSettings s = Read();
  EXPECT_EQ(s.system_dsn, 0u);
  EXPECT_EQ(s.use_server_list, 1u);
  EXPECT_STREQ(s.server_list, "");
  EXPECT_STREQ(s.svc_server, "");
  EXPECT_EQ(s.svc_srv_port, 1583);
  EXPECT_EQ(s.svc_port, 1599);
  EXPECT_EQ(s.enable_auto_update, 1u);
  EXPECT_EQ(s.update_always, 0u);
  EXPECT_EQ(s.update_every_x_hour_sec, 3600);
  EXPECT_EQ(s.last_update_ts, 0u);
  EXPECT_EQ(s.svc_clnt_time_out, 10);
  EXPECT_EQ(s.svc_enable_broadcasting, 1u);
  EXPECT_EQ(s.use_proxy_server, 0u);
  EXPECT_STREQ(s.proxy_server, "");
  EXPECT_EQ(s.proxy_port, 443);
}

TEST_F(ServiceSettingsTest, NumbersOutOfTheirFieldOrUnreadableTakeTheDefault) {
  struct Case {
    const char* key;
    const char* text;
    int64_t expected;
  } cases[] = {
      {"SvcSrvPort", "1600", 1600},
      {"SvcSrvPort", "abc", 1583},
      {"SvcSrvPort", "70000", 1583},  // never wrapped into 16 bits
      {"SvcSrvPort", "-1", 1583},
      {"SvcSrvPort", "", 1583},
      {"SvcPort", "4464", 4464},
      {"SvcPort", "65536", 1599},
      {"SvcClntTimeOut", "30", 30},
      {"SvcClntTimeOut", "12x", 10},
      {"SvcSystemDSN", "4294967296", 0},
      {"UpdateEveryXHourSec", "1800", 3600},
      {"UpdateEveryXHourSec", "9999999", 2678400},
      {"UpdateEveryXHourSec", "12x", 3600},
      {"UpdateEveryXHourSec", "", 3600},
      {"UpdateEveryXHourSec", "-5", 3600},
      {"UpdateEveryXHourSec", "7200", 7200},
      {"UpdateEveryXHourSec", "99999999999999999999", 3600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + "=" + c.text);
    Service(c.key, c.text);
    ServiceSettings s = Read();
    int64_t got = std::string(c.key) == "SvcSrvPort"       ? s.svc_srv_port
                  : std::string(c.key) == "SvcPort"        ? s.svc_port
                  : std::string(c.key) == "SvcClntTimeOut" ? s.svc_clnt_time_out
                  : std::string(c.key) == "SvcSystemDSN"   ? s.system_dsn
                                                           : s.update_every_x_hour_sec;
    EXPECT_EQ(got, c.expected);
  }
}

TEST_F(ServiceSettingsTest, ProxyValuesComeFromTheFirewallKey) {
  ASSERT_EQ(ProfileWriteString(kVelto, kFirewall, "ProxyPort", " 8080"), 1);
  ASSERT_EQ(ProfileWriteString(kVelto, kFirewall, "ProxyServer", "proxy.example"), 1);
  ASSERT_EQ(ProfileWriteString(kVelto, kFirewall, "UseProxyServer", "1"), 1);
  ServiceSettings s = Read();
  EXPECT_EQ(s.proxy_port, 8080);
  EXPECT_STREQ(s.proxy_server, "proxy.example");
  EXPECT_EQ(s.use_proxy_server, 1u);
}

TEST_F(ServiceSettingsTest, TextsAreCutToTheirFields) {
  std::string long_name(100, 'h');
  Service("SvcServer", long_name.c_str());
  ASSERT_EQ(ProfileWriteString(kClient, "6.1", "ServerList", "a:1583;b:1583"), 1);
  ServiceSettings s = Read();
  EXPECT_EQ(std::string(s.svc_server), long_name.substr(0, 64));
  EXPECT_STREQ(s.server_list, "a:1583;b:1583");
}

TEST_F(ServiceSettingsTest, DirectModeWithoutAServerUsesTheServerListAndSavesSo) {
  Service("SvcDirect", "1");
  ServiceSettings s = Read();
  EXPECT_EQ(s.use_server_list, 1u);
  ASSERT_EQ(WriteServiceSettings(env_, s), kCspDone);
  EXPECT_EQ(Stored(kDrivers, kDriver, "SvcDirect"), "0");

  Service("SvcDirect", "1");
  Service("SvcServer", "db1");
  s = Read();
  EXPECT_EQ(s.use_server_list, 0u);
}

TEST_F(ServiceSettingsTest, WritingStoresWhatTheUtilityEditsAndReadsBackTheSame) {
  ServiceSettings s = Read();
  s.use_server_list = 0;
  std::snprintf(s.svc_server, sizeof s.svc_server, "db1");
  s.svc_srv_port = 1600;
  s.svc_port = 1700;
  s.system_dsn = 1;
  s.enable_auto_update = 0;
  s.update_always = 1;
  s.update_every_x_hour_sec = 7200;
  s.use_proxy_server = 1;
  std::snprintf(s.proxy_server, sizeof s.proxy_server, "proxy");
  s.proxy_port = 8080;
  s.svc_clnt_time_out = 99;  // an administrator's value: never written here
  ASSERT_EQ(WriteServiceSettings(env_, s), kCspDone);
  EXPECT_EQ(Stored(kDrivers, kDriver, "SvcDirect"), "1");
  EXPECT_EQ(Stored(kDrivers, kDriver, "UpdateEveryXHourSec"), "7200");
  EXPECT_EQ(Stored(kDrivers, kDriver, "SvcClntTimeOut"), "<missing>");
  EXPECT_EQ(Stored(kVelto, kFirewall, "ProxyPort"), "8080");
  EXPECT_EQ(Stored(kClient, "6.1", "ServerList"), "<missing>");
  ServiceSettings back = Read();
  back.svc_clnt_time_out = 99;
  EXPECT_EQ(std::memcmp(&back, &s, sizeof s), 0);
}

}  // namespace
