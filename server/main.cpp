// velsrv: the database access server the driver talks to. Reaches its
// databases through ODBC data sources of its own; see --help.
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include "platform/module.h"
#include "server/discovery_service.h"
#include "server/dsn_check.h"
#include "server/listener.h"
#include "server/log.h"
#include "server/odbc_backend.h"
#include "server/options.h"
#include "server/users.h"

namespace {

velsrv::Listener* g_listener = nullptr;

void OnStopSignal(int) {
  if (g_listener != nullptr) g_listener->RequestStop();
}

void OnHangup(int) {
  if (g_listener != nullptr) g_listener->RequestReload();
}

// One line of standard input, without echo when it is a terminal.
bool ReadSecretLine(const char* prompt, std::string* line) {
  bool terminal = isatty(STDIN_FILENO) != 0;
  termios saved{};
  if (terminal) {
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    tcgetattr(STDIN_FILENO, &saved);
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  bool ok = static_cast<bool>(std::getline(std::cin, *line));
  if (terminal) {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::fputs("\n", stderr);
  }
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return ok;
}

// --hash-password: a users-list line's hash for a password from stdin.
int HashPasswordCommand() {
  std::string password, again, hash, error;
  if (!ReadSecretLine("Password: ", &password) || password.empty()) {
    std::fprintf(stderr, "velsrv: no password given\n");
    return 2;
  }
  if (isatty(STDIN_FILENO) != 0 && (!ReadSecretLine("Again: ", &again) || again != password)) {
    std::fprintf(stderr, "velsrv: the passwords differ\n");
    return 2;
  }
  if (!velsrv::HashPassword(password, &hash, &error)) {
    std::fprintf(stderr, "velsrv: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", hash.c_str());
  return 0;
}

std::string HostPort(const std::string& host, uint16_t port) {
  bool ipv6 = host.find(':') != std::string::npos;
  return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

// Where this program's system configuration lies, when it is installed.
std::string SystemConfig() {
  char path[4096];
  size_t n = PlatModuleFileName(nullptr, path, sizeof path);
  return n == 0 ? std::string() : velsrv::SystemConfigPath(path);
}

// The log's first line: which configuration runs, and what that means
// when there is none.
void LogConfiguration(const velsrv::CommandLine& line, const velsrv::ServerConfig& config,
                      const std::string& system_config) {
  if (!line.config_path.empty()) {
    velsrv::Log(velsrv::LogLevel::kInfo, "configuration " + line.config_path);
    return;
  }
  std::string where = system_config.empty() ? "--config" : "--config or " + system_config;
  velsrv::Log(velsrv::LogLevel::kInfo, "no configuration file (" + where + "): built-in settings");
  if (config.dsns.empty())
    velsrv::Log(velsrv::LogLevel::kWarning,
                "data source \"" + velsrv::DemoDsn().name +
                    "\" accepts any login: SQLite checks no password; give velsrv a "
                    "configuration with its own data sources");
}

}  // namespace

int main(int argc, char** argv) {
  velsrv::ServerConfig config;
  velsrv::CommandLine line;
  std::string error;
  const std::string system_config = SystemConfig();
  if (!velsrv::ParseCommandLine(argc, argv, &config, &line, &error, system_config)) {
    std::fprintf(stderr, "velsrv: %s\n%s", error.c_str(), velsrv::UsageText().c_str());
    return 2;
  }
  if (line.help) {
    std::fputs(velsrv::UsageText().c_str(), stdout);
    return 0;
  }
  if (line.version) {
    std::fputs(velsrv::VersionText().c_str(), stdout);
    return 0;
  }
  if (line.hash_password) return HashPasswordCommand();
  velsrv::SetLogLevel(config.log_level);
  LogConfiguration(line, config, system_config);

  velsrv::OdbcBackend backend;
  if (!backend.ok()) {
    velsrv::Log(velsrv::LogLevel::kError, "the ODBC environment could not be set up");
    return 1;
  }
  velsrv::Listener listener(config, backend);
  if (!listener.Open(&error)) {
    velsrv::Log(velsrv::LogLevel::kError, "cannot start: " + error);
    return 1;
  }
  // On SIGHUP the command line and its configuration file are read again:
  // the data sources, users lists and log level change, nothing else.
  listener.set_reload_handler([&] {
    velsrv::ServerConfig fresh;
    velsrv::CommandLine again;
    std::string why;
    if (!velsrv::ParseCommandLine(argc, argv, &fresh, &again, &why, system_config) ||
        !listener.context().ReloadSources(fresh, &why)) {
      velsrv::Log(velsrv::LogLevel::kError, "reload failed, the configuration stays: " + why);
      return;
    }
    velsrv::SetLogLevel(fresh.log_level);
    velsrv::Log(
        velsrv::LogLevel::kInfo,
        "reloaded: " + std::to_string(listener.context().dsns().size()) + " data source(s)");
  });
  g_listener = &listener;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  action.sa_handler = OnHangup;
  sigaction(SIGHUP, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  // Discovery is a convenience beside the data service: when its port is
  // taken the server still serves, and says so. It is bound before the
  // listening line, so that whoever waits for that line can ask it.
  velsrv::DiscoveryService discovery(listener.context());
  if (config.discovery_port != 0) {
    std::string why;
    if (discovery.Open(config.discovery_port, &why)) {
      discovery.Start();
      velsrv::Log(velsrv::LogLevel::kInfo,
                  "discovery on " + HostPort(discovery.address(), discovery.port()) + " (UDP)");
    } else {
      velsrv::Log(velsrv::LogLevel::kWarning, "no discovery service: " + why);
    }
  }

  std::string where = HostPort(config.listen_address, listener.port());
  // The one line on standard output: scripts wait for it to learn the port.
  std::printf("velsrv: listening on %s\n", where.c_str());
  std::fflush(stdout);
  velsrv::Log(velsrv::LogLevel::kInfo, "listening on " + where);
  std::thread check([&] { velsrv::CheckDataSources(listener.context()); });
  listener.Run();
  discovery.Stop();
  check.join();
  g_listener = nullptr;
  velsrv::Log(velsrv::LogLevel::kInfo, "stopped");
  return 0;
}
