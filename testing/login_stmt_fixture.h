// A statement for the driver's unit tests that needs no server: a record on
// an unconnected connection, with the login's type lists given by the test.
#pragma once

#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/odbc/connect/drv_conn.h"
#include "driver/odbc/connect/login_data.h"
#include "driver/odbc/diag/diag.h"
#include "driver/odbc/diag/sql_error.h"
#include "driver/odbc/statement/drv_stmt.h"
#include "testing/conn_test_support.h"
#include "wire/table_type.h"
#include "wire/type_info.h"

class LoginStmtFixture : public ConnFixture {
 public:
  LoginStmtFixture() {
    stmt_ = new DrvStmt{};
    stmt_->conn = conn();
    stmt_->diagnostics = CreateDiagList();
    stmt_->state = kStmtAllocated;
    stmt_->data_at_exec_param = -1;
  }
  ~LoginStmtFixture() {
    DrvResetStmt(stmt_);
    DestroyDiagList(stmt_->diagnostics);
    delete stmt_;
  }

  DrvStmt* stmt() const { return stmt_; }

  // The SQLSTATEs posted on the statement, in order; the list is emptied.
  std::vector<std::string> StmtStates() const { return ::StmtStates(stmt_); }

  // What a login reply would leave: the server's types and table types.
  void Login(const std::vector<LnaTypeInfo>& types, const std::vector<LnaTableType>& table_types) {
    ASSERT_EQ(StoreLoginTypes(conn(), types.data(), static_cast<uint32_t>(types.size()),
                              table_types.data(), static_cast<uint32_t>(table_types.size())),
              0);
  }

 private:
  DrvStmt* stmt_ = nullptr;
};

inline LnaTypeInfo ServerType(const char* name, int16_t sql_type, const char* local_name) {
  LnaTypeInfo t{};
  std::strncpy(t.type_name, name, sizeof t.type_name - 1);
  std::strncpy(t.local_type_name, local_name, sizeof t.local_type_name - 1);
  t.sql_type = sql_type;
  t.precision = 10;
  return t;
}

inline LnaTableType TableType(const char* name, int32_t bit) {
  LnaTableType t{};
  std::strncpy(t.name, name, sizeof t.name - 1);
  t.bit = bit;
  return t;
}
