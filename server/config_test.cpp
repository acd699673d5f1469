#include "server/config.h"

#include <gtest/gtest.h>

#include "server/options.h"
#include "testing/temp_dir.h"

namespace velsrv {
namespace {

TEST(ConfigTest, DefaultsServeTheDemoSourceOnLoopback) {
  ServerConfig c;
  EXPECT_EQ(c.listen_address, "127.0.0.1");
  EXPECT_EQ(c.port, 1583);
  EXPECT_EQ(c.admin, AdminAccess::kOff);
  EXPECT_FALSE(c.compress);
  std::vector<DsnEntry> dsns = c.OfferedDsns();
  ASSERT_EQ(dsns.size(), 1u);
  EXPECT_EQ(dsns[0].name, "demo");
  EXPECT_NE(dsns[0].connect.find("DRIVER="), std::string::npos);
}

TEST(ConfigTest, ReadsAFile) {
  ServerConfig c;
  std::string error;
  ASSERT_TRUE(
      ParseConfigText("# server settings\n"
                      "[server]\n"
                      "listen = 0.0.0.0\n"
                      "port = 1600\n"
                      "max_connections = 8\n"
                      "max_request_bytes = 65536\n"
                      "request_timeout = 5\n"
                      "max_statements = 20\n"
                      "admin = loopback\n"
                      "compress = on\n"
                      "server_list = 10.0.0.5:1583, 10.0.0.6:1600\n"
                      "users = /etc/velsrv/users\n"
                      "log_level = warning\n"
                      "\n"
                      "[dsn sales]\n"
                      "description = Sales data\n"
                      "connect = DSN=sales_pg;Servername=db1\n"
                      "users = /etc/velsrv/sales.users\n"
                      "login = users\n"
                      "; another\n"
                      "[dsn hr]\n",
                      &c, &error))
      << error;
  EXPECT_EQ(c.listen_address, "0.0.0.0");
  EXPECT_EQ(c.port, 1600);
  EXPECT_EQ(c.max_connections, 8);
  EXPECT_EQ(c.max_request_bytes, 65536u);
  EXPECT_EQ(c.request_timeout_seconds, 5);
  EXPECT_EQ(c.max_statements, 20);
  EXPECT_EQ(c.admin, AdminAccess::kLoopback);
  EXPECT_TRUE(c.compress);
  ASSERT_EQ(c.server_list.size(), 2u);
  EXPECT_EQ(c.server_list[1].address, "10.0.0.6");
  EXPECT_EQ(c.server_list[1].port, 1600);
  ASSERT_EQ(c.dsns.size(), 2u);
  EXPECT_EQ(c.dsns[0].connect, "DSN=sales_pg;Servername=db1");
  EXPECT_EQ(c.dsns[1].name, "hr");
  EXPECT_EQ(c.dsns[1].connect, "");
  EXPECT_EQ(c.users, "/etc/velsrv/users");
  EXPECT_EQ(c.log_level, LogLevel::kWarning);
  EXPECT_EQ(c.dsns[0].users, "/etc/velsrv/sales.users");
  EXPECT_EQ(c.dsns[0].login, LoginCheck::kUsers);
  EXPECT_EQ(c.dsns[1].login, std::nullopt);
}

TEST(ConfigTest, RefusesWhatItCannotUseNamingTheLine) {
  struct Case {
    const char* text;
    const char* message_part;
  } cases[] = {
      {"port = 70000\n", "line 1: port"},
      {"\nlisten = db 1\n", "line 2: listen"},
      {"log_level = loud\n", "log_level wants"},
      {"users =\n", "users wants a file"},
      {"[dsn a]\nlogin = maybe\n", "login wants users or backend"},
      {"admin = yes\n", "admin"},
      {"compress = yes\n", "compress wants on or off"},
      {"colour = blue\n", "unknown setting colour"},
      {"max_connections = 0\n", "max_connections"},
      {"max_request_bytes = 10\n", "max_request_bytes"},
      {"server_list = db1:1583\n", "server_list"},
      {"server_list = 10.0.0.1\n", "server_list"},
      {"[dsn a;b]\n", "data source name"},
      {"[dsn a]\n[dsn A]\n", "line 2: data source A twice"},
      {"[dsn a]\nport = 1\n", "description, connect"},
      {"[client]\n", "sections"},
      {"[server\n", "ends with ]"},
      {"just words\n", "key = value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ServerConfig config;
    std::string error;
    EXPECT_FALSE(ParseConfigText(c.text, &config, &error));
    EXPECT_NE(error.find(c.message_part), std::string::npos) << error;
  }
}

TEST(ConfigTest, FlagsOverrideTheFile) {
  const char* argv[] = {"velsrv",        "--port",       "0", "--admin", "any",
                        "--server-list", "10.1.1.1:1583"};
  ServerConfig c;
  CommandLine line;
  line.help = true;
  std::string error;
  ASSERT_TRUE(ParseCommandLine(7, argv, &c, &line, &error)) << error;
  EXPECT_FALSE(line.help);
  EXPECT_EQ(c.port, 0);
  EXPECT_EQ(c.admin, AdminAccess::kAny);
  ASSERT_EQ(c.server_list.size(), 1u);

  const char* bad[][3] = {{"velsrv", "--port", "x"},
                          {"velsrv", "--bogus", "1"},
                          {"velsrv", "--config", "/nonexistent/velsrv.conf"}};
  for (auto& args : bad) {
    ServerConfig d;
    EXPECT_FALSE(ParseCommandLine(3, args, &d, &line, &error)) << args[1];
  }
  const char* missing[] = {"velsrv", "--listen"};
  EXPECT_FALSE(ParseCommandLine(2, missing, &c, &line, &error));
  const char* asks_help[] = {"velsrv", "--help"};
  EXPECT_TRUE(ParseCommandLine(2, asks_help, &c, &line, &error));
  EXPECT_TRUE(line.help);
}

TEST(ConfigTest, TheSystemConfigurationLiesWhereTheInstallationPutsIt) {
  struct Case {
    const char* program;
    const char* config;
  } cases[] = {
      {"/usr/sbin/velsrv", "/etc/velsrv/velsrv.conf"},
      {"/usr/local/sbin/velsrv", "/usr/local/etc/velsrv/velsrv.conf"},
      {"/stage/usr/local/bin/velsrv", "/stage/usr/local/etc/velsrv/velsrv.conf"},
      {"/opt/velto/sbin/velsrv", "/etc/opt/velto/velsrv/velsrv.conf"},
      {"/sbin/velsrv", "/etc/velsrv/velsrv.conf"},
      {"/home/ann/build/out/velsrv", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(SystemConfigPath(c.program), c.config) << c.program;
}

TEST(ConfigTest, TheSystemConfigurationIsReadWhenItExistsAndNoneIsGiven) {
  TempDir dir;
  std::string system = dir.Write("velsrv.conf", "[server]\nport = 1700\n");
  std::string given = dir.Write("given.conf", "[server]\nport = 1800\n");
  struct Case {
    std::vector<const char*> args;
    std::string system;
    std::string read;
    uint16_t port;
  } cases[] = {
      {{"velsrv"}, system, system, 1700},
      {{"velsrv", "--port=1900"}, system, system, 1900},
      {{"velsrv", "--config", given.c_str()}, system, given, 1800},
      {{"velsrv"}, dir.Path("missing.conf"), "", 1583},
      {{"velsrv"}, "", "", 1583},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.size());
    ServerConfig config;
    CommandLine line;
    std::string error;
    ASSERT_TRUE(ParseCommandLine(static_cast<int>(c.args.size()), c.args.data(), &config, &line,
                                 &error, c.system))
        << error;
    EXPECT_EQ(line.config_path, c.read) << c.system;
    EXPECT_EQ(config.port, c.port) << c.system;
  }
}

TEST(ConfigTest, BoundsOnWhatClientsMayHoldHaveDefaultsKeysAndFlags) {
  ServerConfig defaults;
  EXPECT_EQ(defaults.max_connection_memory, 256u << 20);
  EXPECT_EQ(defaults.max_server_memory, 1u << 30);
  EXPECT_EQ(defaults.login_timeout_seconds, 35);
  EXPECT_EQ(defaults.max_unauthenticated_per_address, 16);
  EXPECT_EQ(defaults.max_password_checks, 4);

  ServerConfig c;
  std::string error;
  ASSERT_TRUE(
      ParseConfigText("[server]\n"
                      "max_connection_memory = 1048576\n"
                      "max_server_memory = 8589934592\n"
                      "login_timeout = 5\n"
                      "max_unauthenticated_per_address = 2\n",
                      &c, &error))
      << error;
  EXPECT_EQ(c.max_connection_memory, 1u << 20);
  EXPECT_EQ(c.max_server_memory, uint64_t{8} << 30);
  EXPECT_EQ(c.login_timeout_seconds, 5);
  EXPECT_EQ(c.max_unauthenticated_per_address, 2);
  const char* argv[] = {"velsrv", "--max-password-checks=1", "--login-timeout", "7"};
  CommandLine line;
  ASSERT_TRUE(ParseCommandLine(4, argv, &c, &line, &error)) << error;
  EXPECT_EQ(c.max_password_checks, 1);
  EXPECT_EQ(c.login_timeout_seconds, 7);

  struct Case {
    const char* text;
    const char* message_part;
  } cases[] = {
      {"max_connection_memory = 1000\n", "max_connection_memory wants bytes from 65536"},
      {"max_server_memory = lots\n", "max_server_memory wants bytes"},
      {"login_timeout = 0\n", "login_timeout wants seconds from 1"},
      {"max_unauthenticated_per_address = 0\n", "max_unauthenticated_per_address wants"},
      {"max_password_checks = 5000\n", "max_password_checks wants a number from 1 to 1024"},
  };
  for (const Case& k : cases) {
    ServerConfig d;
    EXPECT_FALSE(ParseConfigText(k.text, &d, &error)) << k.text;
    EXPECT_NE(error.find(k.message_part), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace velsrv
