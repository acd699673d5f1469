// The driver end to end, as applications meet it: a velsrv on an ephemeral
// loopback port serving a SQLite database, a private ODBC configuration
// whose data source reaches that server through the built driver, and a
// way to run real clients (isql, iusql, python3 with pyodbc) against it.
// Everything lives in a temporary folder and goes with the harness.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

class TempDir;

namespace testing_odbc {

struct HarnessPaths {
  std::string velsrv;         // the server program
  std::string driver;         // velclt32.so
  std::string sqlite_driver;  // the SQLite ODBC driver the server uses
  std::string asan_runtime;   // preloaded into clients when the driver has the sanitizers; or ""
};

// What a client printed and how it ended.
struct ClientResult {
  int exit_code = -1;  // -1 when it did not exit normally
  std::string output;  // standard output and standard error together
};

class OdbcHarness {
 public:
  // A further data source of the server: its name and the connect string
  // it reaches its database with.
  struct ServerDsnEntry {
    std::string name;
    std::string connect;
  };

  // Writes the configuration and starts the server; ok() tells whether it
  // runs. `dsn` is the client data source's name.
  OdbcHarness(const HarnessPaths& paths, const std::string& dsn,
              const std::vector<ServerDsnEntry>& more_server_dsns = {});
  ~OdbcHarness();
  OdbcHarness(const OdbcHarness&) = delete;
  OdbcHarness& operator=(const OdbcHarness&) = delete;

  bool ok() const { return server_pid_ > 0 && port_ != 0; }
  const std::string& error() const { return error_; }
  uint16_t port() const { return port_; }
  const std::string& dsn() const { return dsn_; }
  // The name of the server's SQLite data source.
  static const char* ServerDsn() { return "sqlite"; }

  // The server's SQLite database file.
  std::string DatabasePath() const;

  // Adds a client data source on the same server; `extra` lines are
  // appended to its section ("Key=Value"). It reaches `server_dsn`, the
  // SQLite one when empty.
  void AddDsn(const std::string& name, const std::vector<std::string>& extra = {},
              const std::string& server_dsn = "");
  // ODBCSYSINI, ODBCINI, VELTO_REGISTRY and LANG for clients.
  std::map<std::string, std::string> ClientEnvironment() const;
  // Sets the client environment in this process (before its first ODBC
  // call: the driver manager reads it once).
  void ExportToThisProcess() const;
  // Runs a client program with the client environment, feeding `input` to
  // its standard input. A client that loads the sanitized driver gets the
  // sanitizer runtime preloaded, without leak detection.
  ClientResult RunClient(const std::vector<std::string>& args, const std::string& input) const;

 private:
  bool StartServer();
  void StopServer();
  void WriteClientDsn(const std::string& name, const std::vector<std::string>& extra,
                      const std::string& server_dsn);

  HarnessPaths paths_;
  std::string dsn_;
  std::unique_ptr<TempDir> dir_;
  int server_pid_ = -1;
  int server_out_ = -1;
  uint16_t port_ = 0;
  std::string error_;
};

}  // namespace testing_odbc
