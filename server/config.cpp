#include "server/config.h"

#include <arpa/inet.h>
#include <strings.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/str_util.h"

#ifndef VEL_SQLITE_ODBC_DRIVER
#define VEL_SQLITE_ODBC_DRIVER "libsqlite3odbc.so"
#endif

namespace velsrv {

namespace {

bool ParseLong(const std::string& text, long min, long max, long* out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != 0 || v < min || v > max) return false;
  *out = v;
  return true;
}

bool IsDottedIpv4(const std::string& text) {
  in_addr a;
  return inet_pton(AF_INET, text.c_str(), &a) == 1;
}

// "a.b.c.d:port"
bool ParseServerEntry(const std::string& text, ServerListEntry* entry) {
  size_t colon = text.rfind(':');
  if (colon == std::string::npos) return false;
  std::string address = Trim(text.substr(0, colon));
  long port;
  if (!IsDottedIpv4(address) || !ParseLong(Trim(text.substr(colon + 1)), 1, 65535, &port))
    return false;
  entry->address = address;
  entry->port = static_cast<uint16_t>(port);
  return true;
}

bool ParseServerList(const std::string& text, std::vector<ServerListEntry>* list) {
  list->clear();
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    item = Trim(item);
    if (item.empty()) continue;
    ServerListEntry e;
    if (!ParseServerEntry(item, &e)) return false;
    list->push_back(e);
  }
  return true;
}

// Names travel in connection strings and in the ';'-separated list of data
// sources, so they may not hold the characters that delimit those.
bool IsValidDsnName(const std::string& name) {
  return !name.empty() && name.find_first_of(";{}=[]") == std::string::npos;
}

// What getaddrinfo can make a listening address of; the bind itself tells
// whether the machine has it.
bool IsListenAddress(const std::string& text) {
  return !text.empty() && text.find_first_of(" \t/") == std::string::npos;
}

bool ParseAdmin(const std::string& text, AdminAccess* out) {
  if (text == "off")
    *out = AdminAccess::kOff;
  else if (text == "loopback")
    *out = AdminAccess::kLoopback;
  else if (text == "any")
    *out = AdminAccess::kAny;
  else
    return false;
  return true;
}

}  // namespace

std::string ApplyServerSetting(const std::string& key, const std::string& value, ServerConfig* c) {
  long v;
  if (key == "listen") {
    if (!IsListenAddress(value))
      return "listen wants localhost, a numeric IPv4 or IPv6 address, or a host name";
    c->listen_address = value;
  } else if (key == "port") {
    if (!ParseLong(value, 0, 65535, &v)) return "port wants a number from 0 to 65535";
    c->port = static_cast<uint16_t>(v);
  } else if (key == "discovery_port") {
    if (!ParseLong(value, 0, 65535, &v)) return "discovery_port wants a number from 0 to 65535";
    c->discovery_port = static_cast<uint16_t>(v);
  } else if (key == "max_connections") {
    if (!ParseLong(value, 1, 100000, &v)) return "max_connections wants a number from 1";
    c->max_connections = static_cast<int>(v);
  } else if (key == "max_request_bytes") {
    if (!ParseLong(value, 1024, 1L << 30, &v))
      return "max_request_bytes wants a number from 1024 to 1073741824";
    c->max_request_bytes = static_cast<uint32_t>(v);
  } else if (key == "request_timeout") {
    if (!ParseLong(value, 1, 86400, &v)) return "request_timeout wants seconds from 1";
    c->request_timeout_seconds = static_cast<int>(v);
  } else if (key == "max_statements") {
    if (!ParseLong(value, 1, 1000000, &v)) return "max_statements wants a number from 1";
    c->max_statements = static_cast<int>(v);
  } else if (key == "max_connection_memory") {
    if (!ParseLong(value, 1L << 16, 1L << 40, &v))
      return "max_connection_memory wants bytes from 65536";
    c->max_connection_memory = static_cast<uint64_t>(v);
  } else if (key == "max_server_memory") {
    if (!ParseLong(value, 1L << 16, 1L << 40, &v))
      return "max_server_memory wants bytes from 65536";
    c->max_server_memory = static_cast<uint64_t>(v);
  } else if (key == "login_timeout") {
    if (!ParseLong(value, 1, 86400, &v)) return "login_timeout wants seconds from 1";
    c->login_timeout_seconds = static_cast<int>(v);
  } else if (key == "max_unauthenticated_per_address") {
    if (!ParseLong(value, 1, 100000, &v))
      return "max_unauthenticated_per_address wants a number from 1";
    c->max_unauthenticated_per_address = static_cast<int>(v);
  } else if (key == "max_password_checks") {
    if (!ParseLong(value, 1, 1024, &v)) return "max_password_checks wants a number from 1 to 1024";
    c->max_password_checks = static_cast<int>(v);
  } else if (key == "admin") {
    if (!ParseAdmin(value, &c->admin)) return "admin wants off, loopback or any";
  } else if (key == "compress") {
    if (value != "on" && value != "off") return "compress wants on or off";
    c->compress = value == "on";
  } else if (key == "server_list") {
    if (!ParseServerList(value, &c->server_list))
      return "server_list wants address:port items (dotted IPv4) separated by commas";
  } else if (key == "users") {
    if (value.empty()) return "users wants a file name";
    c->users = value;
  } else if (key == "log_level") {
    if (!ParseLogLevel(value, &c->log_level))
      return "log_level wants error, warning, info or debug";
  } else {
    return "unknown setting " + key;
  }
  return "";
}

std::vector<DsnEntry> ServerConfig::OfferedDsns() const {
  if (dsns.empty()) return {DemoDsn()};
  return dsns;
}

DsnEntry DemoDsn() {
  return DsnEntry{"demo", "SQLite demo database",
                  "DRIVER=" VEL_SQLITE_ODBC_DRIVER ";Database=velsrv_demo.db;StepAPI=1"};
}

bool ParseConfigText(const std::string& text, ServerConfig* config, std::string* error) {
  std::stringstream in(text);
  std::string line;
  int number = 0;
  DsnEntry* dsn = nullptr;  // the section being read, or null for [server]
  std::vector<DsnEntry> dsns;
  auto fail = [&](const std::string& message) {
    *error = "line " + std::to_string(number) + ": " + message;
    return false;
  };
  while (std::getline(in, line)) {
    ++number;
    line = Trim(line);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']') return fail("a section header ends with ]");
      std::string section = Trim(line.substr(1, line.size() - 2));
      if (section == "server") {
        dsn = nullptr;
        continue;
      }
      if (section.compare(0, 4, "dsn ") != 0) return fail("sections are [server] and [dsn NAME]");
      std::string name = Trim(section.substr(4));
      if (!IsValidDsnName(name)) return fail("a data source name may not hold ; { } = [ ]");
      for (const DsnEntry& e : dsns) {
        if (strcasecmp(e.name.c_str(), name.c_str()) == 0)
          return fail("data source " + name + " twice");
      }
      dsns.push_back(DsnEntry{name, "", ""});
      dsn = &dsns.back();
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos) return fail("a setting reads key = value");
    std::string key = Trim(line.substr(0, eq));
    std::string value = Trim(line.substr(eq + 1));
    if (dsn != nullptr) {
      if (key == "description")
        dsn->description = value;
      else if (key == "connect")
        dsn->connect = value;
      else if (key == "users" && !value.empty())
        dsn->users = value;
      else if (key == "login" && (value == "users" || value == "backend"))
        dsn->login = value == "users" ? LoginCheck::kUsers : LoginCheck::kBackend;
      else if (key == "login")
        return fail("login wants users or backend");
      else
        return fail("a data source knows description, connect, users and login, not " + key);
      continue;
    }
    std::string message = ApplyServerSetting(key, value, config);
    if (!message.empty()) return fail(message);
  }
  if (!dsns.empty()) config->dsns = std::move(dsns);
  return true;
}

bool LoadConfigFile(const std::string& path, ServerConfig* config, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot be read";
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  if (!ParseConfigText(text.str(), config, error)) {
    *error = path + ": " + *error;
    return false;
  }
  return true;
}

}  // namespace velsrv
