// Connections for the driver's unit tests: made through the workers, with
// the helpers that read what was posted on them.
#pragma once

#include <sql.h>

#include <string>
#include <vector>

struct DrvConn;
struct DrvEnv;
struct DrvStmt;

class ConnFixture {
 public:
  ConnFixture();
  ~ConnFixture();
  ConnFixture(const ConnFixture&) = delete;
  ConnFixture& operator=(const ConnFixture&) = delete;

  DrvConn* conn() const { return conn_; }
  DrvEnv* env() const { return env_; }
  // The SQLSTATEs posted on the connection, in order; the list is emptied.
  std::vector<std::string> States() const;
  // The value of the named keyword, "<unset>" when it is not set.
  std::string Value(const char* name) const;

 private:
  DrvEnv* env_ = nullptr;
  DrvConn* conn_ = nullptr;
};

// The SQLSTATEs posted on a statement, in order; the list is emptied.
std::vector<std::string> StmtStates(DrvStmt* stmt);
