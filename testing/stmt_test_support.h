// Statements for the driver's unit tests that never reach a server: a
// statement on a bare connection with the server types a test gives it,
// and the diagnostics posted on it.
#pragma once

#include <string>
#include <vector>

#include "driver/odbc/connect/drv_conn.h"
#include "driver/odbc/statement/drv_stmt.h"

class StmtFixture {
 public:
  StmtFixture();
  ~StmtFixture();
  StmtFixture(const StmtFixture&) = delete;
  StmtFixture& operator=(const StmtFixture&) = delete;

  DrvStmt* stmt() { return &stmt_; }
  DrvConn* conn() { return &conn_; }
  // The SQLSTATEs posted on the statement, in order; the list is emptied.
  std::vector<std::string> States();
  // The same with each record's message text after a colon.
  std::vector<std::string> Messages();

 private:
  DrvConn conn_{};
  DrvStmt stmt_{};
};
