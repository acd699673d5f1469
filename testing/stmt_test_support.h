// A statement for the driver's unit tests that needs no server: a record on
// a connection allocated through the workers and never connected, with the
// login's type lists a test gives it, and the diagnostics posted on it.
#pragma once

#include <string>
#include <vector>

#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "testing/conn_test_support.h"
#include "wire/table_type.h"
#include "wire/type_info.h"

class StmtFixture : public ConnFixture {
 public:
  StmtFixture();
  ~StmtFixture();
  StmtFixture(const StmtFixture&) = delete;
  StmtFixture& operator=(const StmtFixture&) = delete;

  DrvStmt* stmt() { return &stmt_; }
  // The SQLSTATEs posted on the statement, in order; the list is emptied.
  std::vector<std::string> States();
  // The same with each record's message text after a colon.
  std::vector<std::string> Messages();

  // What a login reply would leave: the server's types and table types.
  // A fatal test failure when they cannot be stored.
  void Login(const std::vector<LnaTypeInfo>& types, const std::vector<LnaTableType>& table_types);

 private:
  DrvStmt stmt_{};
};

// A server type and a table type as a login reply carries them.
LnaTypeInfo ServerType(const char* name, int16_t sql_type, const char* local_name);
LnaTableType TableType(const char* name, int32_t bit);
