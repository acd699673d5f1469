#include "server/options.h"

#include <getopt.h>

#include <filesystem>
#include <utility>
#include <vector>

#ifndef VELSRV_VERSION
#define VELSRV_VERSION "unknown"
#endif

namespace velsrv {

namespace {

enum Flag {
  kHelp = 'h',
  kConfig = 256,
  kVersion,
  kHashPassword,
  kSetting,  // every flag from here on names a [server] key
};

// Flags that set a [server] key, in the order of their option values.
constexpr const char* kSettingFlags[][2] = {
    {"listen", "listen"},
    {"port", "port"},
    {"discovery-port", "discovery_port"},
    {"max-connections", "max_connections"},
    {"max-request-bytes", "max_request_bytes"},
    {"request-timeout", "request_timeout"},
    {"max-statements", "max_statements"},
    {"max-connection-memory", "max_connection_memory"},
    {"max-server-memory", "max_server_memory"},
    {"login-timeout", "login_timeout"},
    {"max-unauthenticated-per-address", "max_unauthenticated_per_address"},
    {"max-password-checks", "max_password_checks"},
    {"admin", "admin"},
    {"compress", "compress"},
    {"server-list", "server_list"},
    {"users", "users"},
    {"log-level", "log_level"},
};

}  // namespace

bool ParseCommandLine(int argc, const char* const* argv, ServerConfig* config, CommandLine* line,
                      std::string* error, const std::string& system_config) {
  *line = CommandLine{};
  std::vector<option> options = {
      {"help", no_argument, nullptr, kHelp},
      {"config", required_argument, nullptr, kConfig},
      {"version", no_argument, nullptr, kVersion},
      {"hash-password", no_argument, nullptr, kHashPassword},
  };
  int value = kSetting;
  for (const auto& flag : kSettingFlags)
    options.push_back({flag[0], required_argument, nullptr, value++});
  options.push_back({nullptr, 0, nullptr, 0});

  // getopt reorders the array it is given: a copy, not the caller's.
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) args.push_back(const_cast<char*>(argv[i]));
  args.push_back(nullptr);
  std::vector<std::pair<int, std::string>> settings;  // flag index, value
  optind = 0;                                         // a fresh scan, also when called again
  opterr = 0;                                         // the messages are ours
  for (;;) {
    int index = -1;
    int c = getopt_long(argc, args.data(), ":h", options.data(), &index);
    if (c == -1) break;
    const char* shown = optind > 0 && optind <= argc ? args[optind - 1] : "";
    switch (c) {
      case kHelp:
        line->help = true;
        break;
      case kVersion:
        line->version = true;
        break;
      case kHashPassword:
        line->hash_password = true;
        break;
      case kConfig:
        line->config_path = optarg;
        break;
      case ':':
        *error = std::string(shown) + " wants a value";
        return false;
      case '?':
        *error = std::string("unknown flag ") + shown;
        return false;
      default:
        settings.emplace_back(c - kSetting, optarg);
        break;
    }
  }
  if (optind < argc) {
    *error = std::string("unexpected argument ") + args[optind];
    return false;
  }
  if (line->help || line->version || line->hash_password) return true;
  // A configuration the administrator put in place is never passed over:
  // one that exists but cannot be read stops the start.
  std::error_code ignored;
  if (line->config_path.empty() && !system_config.empty() &&
      std::filesystem::exists(system_config, ignored))
    line->config_path = system_config;
  if (!line->config_path.empty() && !LoadConfigFile(line->config_path, config, error)) return false;
  for (const auto& [flag, text] : settings) {
    std::string message = ApplyServerSetting(kSettingFlags[flag][1], text, config);
    if (!message.empty()) {
      *error = "--" + std::string(kSettingFlags[flag][0]) + ": " + message;
      return false;
    }
  }
  return true;
}

std::string SystemConfigPath(const std::string& program_path) {
  namespace fs = std::filesystem;
  fs::path folder = fs::path(program_path).parent_path();
  if (folder.filename() != "sbin" && folder.filename() != "bin") return "";
  fs::path prefix = folder.parent_path();
  fs::path etc;
  if (prefix == "/usr" || prefix == "/")
    etc = "/etc";
  else if (prefix.parent_path() == "/opt")
    etc = fs::path("/etc/opt") / prefix.filename();
  else
    etc = prefix / "etc";
  return (etc / "velsrv" / "velsrv.conf").string();
}

std::string UsageText() {
  return "usage: velsrv [--config=FILE] [--listen=ADDRESS] [--port=N] [--discovery-port=N]\n"
         "              [--max-connections=N] [--max-request-bytes=N] [--request-timeout=SECONDS]\n"
         "              [--max-statements=N] [--admin=off|loopback|any] [--compress=on|off]\n"
         "              [--max-connection-memory=BYTES] [--max-server-memory=BYTES]\n"
         "              [--login-timeout=SECONDS] [--max-unauthenticated-per-address=N]\n"
         "              [--max-password-checks=N]\n"
         "              [--server-list=ADDRESS:PORT,...] [--users=FILE]\n"
         "              [--log-level=error|warning|info|debug]\n"
         "       velsrv --hash-password   (reads a password, prints its users-list hash)\n"
         "       velsrv -h | --help | --version\n";
}

std::string VersionText() {
  return "velsrv " VELSRV_VERSION "\n";
}

}  // namespace velsrv
