// The server's settings: built-in defaults that run the demo without any
// file, a configuration file, and command-line flags over both.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velsrv {

// A data source clients may name as their ServerDSN.
struct DsnEntry {
  std::string name;
  std::string description;
  // The ODBC connection string the login starts from; empty: "DSN=<name>".
  std::string connect;
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
  uint16_t port = 1583;  // 0: an ephemeral port
  // The UDP discovery service, on the listen address; 0: off.
  uint16_t discovery_port = 1599;
  int max_connections = 64;
  uint32_t max_request_bytes = 16u << 20;
  int request_timeout_seconds = 60;  // to finish a greeting or a frame once begun
  int max_statements = 1024;         // per session
  AdminAccess admin = AdminAccess::kOff;
  // Huffman-code a column block whenever that makes it shorter; off sends
  // every block plain (to measure what the coding costs and saves).
  bool compress = true;
  std::vector<ServerListEntry> server_list;  // empty: this server only
  std::vector<DsnEntry> dsns;                // empty: the built-in demo source

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

// Command-line flags; --config is read first, the other flags override it.
// False with a message on a fault; `help` is set for --help.
bool ParseCommandLine(int argc, const char* const* argv, ServerConfig* config, bool* help,
                      std::string* error);

// What --help prints.
std::string UsageText();

}  // namespace velsrv
