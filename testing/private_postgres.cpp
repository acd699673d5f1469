#include "testing/private_postgres.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "testing/child_process.h"
#include "testing/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kRunUser = "/usr/sbin/runuser";

// The newest installed PostgreSQL's programs.
std::string FindBinDir() {
  std::string best;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
    fs::path bin = entry.path() / "bin";
    if (fs::exists(bin / "initdb") && fs::exists(bin / "pg_ctl") && bin.string() > best)
      best = bin.string();
  }
  return best;
}

// A port the kernel has just found free on 127.0.0.1.
int FreePort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return 0;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof a;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) == 0)
    port = ntohs(a.sin_port);
  close(fd);
  return port;
}

}  // namespace

PrivatePostgres::PrivatePostgres() = default;

PrivatePostgres::~PrivatePostgres() {
  Stop();
}

std::string PrivatePostgres::OdbcDriverPath() {
  return "/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so";
}

std::string PrivatePostgres::OdbcConnectionString() const {
  return "Driver=" + OdbcDriverPath() + ";Servername=127.0.0.1;Port=" + std::to_string(port_) +
         ";Database=postgres";
}

int PrivatePostgres::RunAsOwner(const std::string& program, const std::string& arguments_line,
                                std::string* output) {
  // Through a shell, so that the program's own output lands in `output`.
  std::string command = "'" + bin_dir_ + "/" + program + "' " + arguments_line + " 2>&1";
  if (geteuid() == 0)
    return testing_child::Run({kRunUser, "-u", kUser, "--", "/bin/sh", "-c", command}, output);
  return testing_child::Run({"/bin/sh", "-c", command}, output);
}

bool PrivatePostgres::Start() {
  bin_dir_ = FindBinDir();
  if (bin_dir_.empty()) {
    error_ = "no PostgreSQL server programs under /usr/lib/postgresql";
    return false;
  }
  if (!fs::exists(OdbcDriverPath())) {
    error_ = "PostgreSQL's ODBC driver is missing: " + OdbcDriverPath();
    return false;
  }
  dir_ = std::make_unique<TempDir>();
  if (geteuid() == 0) {
    passwd* owner = getpwnam(kUser);
    if (owner == nullptr || access(kRunUser, X_OK) != 0) {
      error_ = "running as root without a postgres user or runuser";
      return false;
    }
    if (chown(dir_->path().c_str(), owner->pw_uid, owner->pw_gid) != 0) {
      error_ = "the temporary folder cannot be handed to the postgres user";
      return false;
    }
  }
  std::string data = dir_->Path("data");
  std::string output;
  if (RunAsOwner("initdb", "-D '" + data + "' -U " + kUser + " -A trust -E UTF8 --no-sync",
                 &output) != 0) {
    error_ = "initdb failed: " + output;
    return false;
  }
  // A free port may be taken between the look and the start: try a few.
  for (int attempt = 0; attempt < 3 && !running_; ++attempt) {
    port_ = FreePort();
    std::string options =
        "-p " + std::to_string(port_) +
        " -c listen_addresses=127.0.0.1 -c unix_socket_directories=" + dir_->path() +
        " -c fsync=off";
    running_ = RunAsOwner("pg_ctl",
                          "-D '" + data + "' -l '" + dir_->Path("server.log") + "' -w -t 60 -o '" +
                              options + "' start",
                          &output) == 0;
  }
  if (!running_) error_ = "the server did not start: " + output + dir_->Read("server.log");
  return running_;
}

void PrivatePostgres::Stop() {
  if (!running_) return;
  std::string output;
  RunAsOwner("pg_ctl", "-D '" + dir_->Path("data") + "' -m fast -w stop", &output);
  running_ = false;
}
