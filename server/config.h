// The server's settings: built-in defaults that run the demo without any
// file, a configuration file, and command-line flags over both.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "server/log.h"
#include "wire/protocol.h"
#include "wire/sap_datagram.h"

namespace velsrv {

// How a login to a data source is checked.
enum class LoginCheck {
  kUsers,    // the client's UID and PWD against a users list of the server
  kBackend,  // the client's UID and PWD go to the backend, which decides
};

// A data source clients may name as their ServerDSN.
struct DsnEntry {
  std::string name;
  std::string description;
  // The ODBC connection string the login starts from; empty: "DSN=<name>".
  std::string connect;
  // Its own users list file; empty: the server's shared one.
  std::string users = {};
  // Unset: kUsers when `connect` carries credentials, else kBackend.
  std::optional<LoginCheck> login = {};
};

// One server of the list that the server-list procedure hands out.
struct ServerListEntry {
  std::string address;  // dotted IPv4
  uint16_t port = 0;
};

// Who may call the unauthenticated administrative procedures.
enum class AdminAccess { kOff, kLoopback, kAny };

struct ServerConfig {
  std::string listen_address = "127.0.0.1";
  uint16_t port = kDefaultServerPort;  // 0: an ephemeral port
  // The UDP discovery service, on the listen address; 0: off.
  uint16_t discovery_port = kSapDefaultPort;
  int max_connections = 64;
  uint32_t max_request_bytes = 16u << 20;
  int request_timeout_seconds = 60;  // to finish a greeting or a frame once begun
  int max_statements = 1024;         // per session
  // What the server holds for its clients between requests (parameter
  // values, data at execution): per connection, and for all of them.
  uint64_t max_connection_memory = uint64_t{256} << 20;
  uint64_t max_server_memory = uint64_t{1} << 30;
  // A connection that has not logged in by then is closed: a little more
  // than the client's own wait for its login (30 seconds by default).
  int login_timeout_seconds = 35;
  // Connections from one address that have not logged in yet; more are
  // refused, so that one address cannot take every connection.
  int max_unauthenticated_per_address = 16;
  // Password hashes checked at once (each takes memory of its own).
  int max_password_checks = 4;
  AdminAccess admin = AdminAccess::kOff;
  // Huffman-code a column block whenever that makes it shorter. Off by
  // default: on a fast link the coding costs more time than the shorter
  // blocks save; it pays on slow links.
  bool compress = false;
  std::vector<ServerListEntry> server_list;  // empty: this server only
  std::vector<DsnEntry> dsns;                // empty: the built-in demo source
  std::string users;                         // the shared users list file
  LogLevel log_level = LogLevel::kInfo;

  // The data sources clients may name: `dsns`, or the demo source.
  std::vector<DsnEntry> OfferedDsns() const;
};

// The data source offered when the configuration names none: SQLite through
// its ODBC driver, on a database file in the working directory.
DsnEntry DemoDsn();

// Reads a configuration file into `config` (over what it holds). False with
// a message naming the line on any fault.
bool LoadConfigFile(const std::string& path, ServerConfig* config, std::string* error);
// Reads the same settings from text (the file's content).
bool ParseConfigText(const std::string& text, ServerConfig* config, std::string* error);

// One setting of [server] by its key, from the file or from a flag. The
// message is empty on success.
std::string ApplyServerSetting(const std::string& key, const std::string& value,
                               ServerConfig* config);

}  // namespace velsrv
