// A velsrv on loopback in front of SQLite and, when PostgreSQL runs here, of
// a private PostgreSQL, for the tests that drive the workers against both
// databases; and a connected statement on one of its data sources.
#pragma once

#include <gtest/gtest.h>
#include <sql.h>

#include <memory>
#include <string>
#include <vector>

#include "testing/conn_test_support.h"
#include "testing/odbc_harness.h"
#include "testing/private_postgres.h"

struct DrvConn;
struct DrvStmt;

inline SQLCHAR* Text(const char* text) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text));
}

// The server with its SQLite data source and, when PostgreSQL runs here, a
// second one in front of a private PostgreSQL; one for the whole program.
class ServerBackends : public ::testing::Environment {
 public:
  ServerBackends(const char* sqlite_dsn, const char* postgres_dsn);
  ~ServerBackends() override;

  void SetUp() override;
  void TearDown() override;

  testing_odbc::OdbcHarness& harness() const { return *harness_; }
  // Fails the running test when the server did not start, and skips it when
  // it is meant for the PostgreSQL data source and PostgreSQL cannot run
  // here. For a fixture's SetUp.
  void Require(const char* dsn) const;

 private:
  std::string sqlite_dsn_;
  std::string postgres_dsn_;
  std::unique_ptr<PrivatePostgres> postgres_;
  std::unique_ptr<testing_odbc::OdbcHarness> harness_;
};

// Registers the server for the whole program; call at namespace scope.
ServerBackends* AddServerBackends(const char* sqlite_dsn, const char* postgres_dsn);

// A connected statement through the workers.
class ServerSession {
 public:
  ServerSession(const char* dsn, const char* uid);
  ~ServerSession();
  ServerSession(const ServerSession&) = delete;
  ServerSession& operator=(const ServerSession&) = delete;

  bool ok() const { return connected_; }
  DrvStmt* stmt() const { return stmt_; }
  DrvConn* conn() const { return conn_.conn(); }

  // "SQLSTATE:text" of every diagnostic on the statement, on the
  // connection; emptied.
  std::vector<std::string> Messages();
  std::vector<std::string> ConnMessages();

 private:
  ConnFixture conn_;
  bool connected_ = false;
  DrvStmt* stmt_ = nullptr;
};
