// A private PostgreSQL server for tests: a fresh cluster in a temporary
// folder, listening on 127.0.0.1 on a free port, stopped and removed with
// the object. PostgreSQL refuses to run as root; a root test process runs
// it as the `postgres` user of the Debian package.
#pragma once

#include <memory>
#include <string>

class TempDir;

class PrivatePostgres {
 public:
  PrivatePostgres();
  ~PrivatePostgres();
  PrivatePostgres(const PrivatePostgres&) = delete;
  PrivatePostgres& operator=(const PrivatePostgres&) = delete;

  // Creates the cluster and starts the server; false (with the reason in
  // error()) when PostgreSQL is missing or cannot start here.
  bool Start();
  bool running() const { return running_; }
  const std::string& error() const { return error_; }

  int port() const { return port_; }
  // The database user, who needs no password from loopback.
  static constexpr const char* kUser = "postgres";
  // PostgreSQL's ODBC driver (Debian odbc-postgresql).
  static std::string OdbcDriverPath();
  // A connection string without a data source: the driver, the server and
  // the database; the caller adds UID (and PWD).
  std::string OdbcConnectionString() const;

 private:
  // Runs a PostgreSQL program as the server's user; its exit code.
  int RunAsOwner(const std::string& program, const std::string& arguments_line,
                 std::string* output);
  void Stop();

  std::unique_ptr<TempDir> dir_;
  std::string bin_dir_;
  int port_ = 0;
  bool running_ = false;
  std::string error_;
};
