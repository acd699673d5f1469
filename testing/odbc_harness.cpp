#include "testing/odbc_harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "testing/temp_dir.h"

extern char** environ;

namespace testing_odbc {

namespace {

constexpr int kServerStartMs = 30000;

std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& changes) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry(*e);
    std::string key = entry.substr(0, entry.find('='));
    if (changes.count(key) == 0) env.push_back(entry);
  }
  for (const auto& [key, value] : changes) env.push_back(key + "=" + value);
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Starts `args` with `env`; its output (both streams) on *out_fd and its
// input on *in_fd when given. The pid, or -1.
int Spawn(std::vector<std::string> args, std::vector<std::string> env, int* out_fd, int* in_fd) {
  int out[2];
  int in[2];
  if (pipe(out) != 0) return -1;
  if (pipe(in) != 0) {
    close(out[0]);
    close(out[1]);
    return -1;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, in[1]);
  std::vector<char*> argv = Pointers(args);
  std::vector<char*> envp = Pointers(env);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(in[0]);
  if (rc != 0) {
    close(out[0]);
    close(in[1]);
    return -1;
  }
  *out_fd = out[0];
  if (in_fd != nullptr) {
    *in_fd = in[1];
  } else {
    close(in[1]);
  }
  return pid;
}

int Wait(int pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// The first line of `fd`, waiting at most `ms`.
std::string ReadLine(int fd, int ms) {
  std::string line;
  char c = 0;
  while (line.size() < 512) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, ms) <= 0) break;
    if (read(fd, &c, 1) != 1 || c == '\n') break;
    line.push_back(c);
  }
  return line;
}

}  // namespace

OdbcHarness::OdbcHarness(const HarnessPaths& paths, const std::string& dsn,
                         const std::vector<ServerDsnEntry>& more_server_dsns)
    : paths_(paths), dsn_(dsn), dir_(std::make_unique<TempDir>()) {
  // The server reaches its database through an ODBC configuration of its
  // own, apart from the clients'.
  for (const char* sub : {"server", "client", "registry"})
    std::filesystem::create_directories(dir_->Path(sub));
  dir_->Write("server/odbcinst.ini", "[VelE2ESQLite]\nDescription=SQLite for the server\nDriver=" +
                                         paths_.sqlite_driver + "\n");
  dir_->Write("server/odbc.ini",
              "[sqlite_e2e]\nDriver=VelE2ESQLite\nDatabase=" + dir_->Path("server/e2e.db") + "\n");
  std::string conf =
      // Compressed row blocks too, so that the driver decodes them end to end.
      std::string(
          "[server]\nlisten = 127.0.0.1\nport = 0\ndiscovery_port = 0\ncompress = on\n"
          "[dsn ") +
      ServerDsn() +
      "]\ndescription = SQLite for the driver's tests\n"
      "connect = DSN=sqlite_e2e\n";
  for (const ServerDsnEntry& more : more_server_dsns)
    conf += "[dsn " + more.name + "]\nconnect = " + more.connect + "\n";
  dir_->Write("server/velsrv.conf", conf);
  dir_->Write("client/odbcinst.ini",
              "[VeltoClient]\nDescription=The driver under test\nDriver=" + paths_.driver + "\n");
  dir_->Write("client/odbc.ini", "");
  if (StartServer()) WriteClientDsn(dsn_, {}, ServerDsn());
}

OdbcHarness::~OdbcHarness() {
  StopServer();
}

bool OdbcHarness::StartServer() {
  std::map<std::string, std::string> env = {
      {"ODBCSYSINI", dir_->Path("server")},
      {"ODBCINI", dir_->Path("server/odbc.ini")},
  };
  server_pid_ = Spawn({paths_.velsrv, "--config", dir_->Path("server/velsrv.conf")},
                      EnvironmentWith(env), &server_out_, nullptr);
  if (server_pid_ <= 0) {
    error_ = "velsrv could not be started";
    return false;
  }
  // Its log shares the pipe: the lines it writes before it listens (the
  // configuration it read) come first.
  const std::string prefix = "velsrv: listening on 127.0.0.1:";
  std::string line;
  std::string said;
  for (int i = 0; i < 20; ++i) {
    line = ReadLine(server_out_, kServerStartMs);
    if (line.empty() || line.rfind(prefix, 0) == 0) break;
    said += line + "\n";
  }
  if (line.rfind(prefix, 0) != 0) {
    error_ = "velsrv said: " + said + line;
    StopServer();
    return false;
  }
  port_ = static_cast<uint16_t>(std::atoi(line.c_str() + prefix.size()));
  // The rest of its output is drained so that it never blocks on a full pipe.
  int fd = server_out_;
  std::thread([fd] {
    char chunk[512];
    while (read(fd, chunk, sizeof chunk) > 0) {
    }
    close(fd);
  }).detach();
  return port_ != 0;
}

void OdbcHarness::StopServer() {
  if (server_pid_ > 0) {
    kill(server_pid_, SIGTERM);
    Wait(server_pid_);
    server_pid_ = -1;
  }
  // The drain thread closes the server's output once it has ended.
}

void OdbcHarness::WriteClientDsn(const std::string& name, const std::vector<std::string>& extra,
                                 const std::string& server_dsn) {
  std::ofstream ini(dir_->Path("client/odbc.ini"), std::ios::app);
  ini << "[" << name << "]\nDriver=VeltoClient\nServerName=127.0.0.1." << port_
      << "\nServerDSN=" << server_dsn << "\n";
  for (const std::string& line : extra) ini << line << "\n";
}

std::string OdbcHarness::DatabasePath() const {
  return dir_->Path("server/e2e.db");
}

void OdbcHarness::AddDsn(const std::string& name, const std::vector<std::string>& extra,
                         const std::string& server_dsn) {
  WriteClientDsn(name, extra, server_dsn.empty() ? ServerDsn() : server_dsn);
}

std::map<std::string, std::string> OdbcHarness::ClientEnvironment() const {
  return {
      {"ODBCSYSINI", dir_->Path("client")},
      {"ODBCINI", dir_->Path("client/odbc.ini")},
      {"VELTO_REGISTRY", dir_->Path("registry")},
      {"LANG", "C.UTF-8"},
  };
}

void OdbcHarness::ExportToThisProcess() const {
  for (const auto& [key, value] : ClientEnvironment()) setenv(key.c_str(), value.c_str(), 1);
  unsetenv("ODBCINSTINI");
}

ClientResult OdbcHarness::RunClient(const std::vector<std::string>& args,
                                    const std::string& input) const {
  std::map<std::string, std::string> env = ClientEnvironment();
  if (!paths_.asan_runtime.empty()) {
    env["LD_PRELOAD"] = paths_.asan_runtime;
    // The clients themselves are not built for the leak check.
    env["ASAN_OPTIONS"] = "detect_leaks=0:abort_on_error=1";
  }
  ClientResult result;
  int out = -1;
  int in = -1;
  int pid = Spawn(args, EnvironmentWith(env), &out, &in);
  if (pid <= 0) {
    result.output = "cannot start " + args[0];
    return result;
  }
  // Input is small; written whole before the output is read. A client that
  // ends without reading it must not end this process.
  signal(SIGPIPE, SIG_IGN);
  if (!input.empty()) {
    ssize_t written = write(in, input.data(), input.size());
    (void)written;
  }
  close(in);
  char chunk[4096];
  ssize_t n;
  while ((n = read(out, chunk, sizeof chunk)) > 0)
    result.output.append(chunk, static_cast<size_t>(n));
  close(out);
  result.exit_code = Wait(pid);
  return result;
}

}  // namespace testing_odbc
