#include "driver/lna/protocol_choice.h"

#include <gtest/gtest.h>

#include "common/memory.h"
#include "common/profile.h"
#include "testing/registry_sandbox.h"

namespace {

constexpr char kPath[] = "\\HKEY_CURRENT_USER\\SOFTWARE\\Velto";
constexpr char kClientProtocol[] = "Client\\6.1\\Protocol Stack";
constexpr char kClientFirewall[] = "Client\\6.1\\Firewall Tunneling";
constexpr char kServerProtocol[] = "Server\\6.1\\Protocol Stack";
constexpr char kServerFirewall[] = "Server\\6.1\\Firewall Tunneling";

// A setting written for one case; null leaves it missing.
void Set(const char* section, const char* key, const char* value) {
  ProfileWriteString(kPath, section, key, value);
}

TEST(ResolveServerProtocol, ThePortDecidesBetweenTheWholeTextAndItsTail) {
  testing_registry::UseSandbox();
  struct Case {
    const char* server;
    const char* client_protocols;  // ClientInitProto
    const char* server_protocols;  // Initial Protocols
    const char* client_ports;      // ClientHTTPPorts
    const char* server_ports;      // HTTPPorts
    const char* expected;          // null: no text at all
  };
  const Case cases[] = {
      {"dbhost:8080", "HTTP;TCP", nullptr, "80;8080", nullptr, "HTTP;TCP"},
      {"dbhost.8080", "HTTP;TCP", nullptr, "80;8080", nullptr, "HTTP;TCP"},
      {"dbhost:1583", "HTTP;TCP", nullptr, "80;8080", nullptr, "TCP"},
      {"dbhost:808", "HTTP;TCP", nullptr, "80;8080", nullptr, "TCP"},  // whole ports only
      {"dbhost:1583", "HTTP", nullptr, "80", nullptr, ""},
      {"dbhost:1583", "HTTP;TCP", nullptr, "", "1583", "HTTP;TCP"},  // an empty list: whole
      {"dbhost:1583", "HTTP;TCP", nullptr, nullptr, nullptr, "HTTP;TCP"},
      {"dbhost:1583", "", "HTTP;TCP", "80", nullptr, ""},  // an empty text as it is
      {"dbhost:1583", nullptr, "HTTP;TCP", nullptr, "1583", "HTTP;TCP"},
      {"dbhost:1583", nullptr, "HTTP;TCP", nullptr, "80", "TCP"},
      {"dbhost:1583", nullptr, nullptr, nullptr, nullptr, ""},
      {"dbhost", "HTTP;TCP", nullptr, nullptr, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    Set(kClientProtocol, "ClientInitProto", c.client_protocols);
    Set(kServerProtocol, "Initial Protocols", c.server_protocols);
    Set(kClientFirewall, "ClientHTTPPorts", c.client_ports);
    Set(kServerFirewall, "HTTPPorts", c.server_ports);
    char* protocol = ResolveServerProtocol(c.server);
    if (c.expected == nullptr) {
      EXPECT_EQ(protocol, nullptr) << c.server;
    } else {
      ASSERT_NE(protocol, nullptr) << c.server;
      EXPECT_STREQ(protocol, c.expected)
          << c.server << " " << (c.client_protocols ? c.client_protocols : "-");
    }
    MemFree(protocol);
  }
  EXPECT_EQ(ResolveServerProtocol(nullptr), nullptr);
}

}  // namespace
