#include "testing/stmt_test_support.h"

#include <sqlext.h>

#include "common/pool.h"
#include "driver/odbc/diag/diag.h"
#include "driver/odbc/diag/drv_messages.h"
#include "driver/odbc/diag/sql_error.h"
#include "driver/odbc/statement/exec_params.h"

StmtFixture::StmtFixture() {
  PoolTableInit();
  DrvLoadMessages();
  conn_.autocommit = 1;
  stmt_.conn = &conn_;
  stmt_.state = kStmtAllocated;
  stmt_.diagnostics = CreateDiagList();
  stmt_.data_at_exec_param = -1;
}

StmtFixture::~StmtFixture() {
  DrvResetStmt(&stmt_);
  FreeStmtParamBuffers(&stmt_);
  FreeParamBindings(&stmt_);
  DestroyDiagList(stmt_.diagnostics);
  DrvReleaseMessages();
  PoolTableTerm();
}

std::vector<std::string> StmtFixture::Messages() {
  std::vector<std::string> out;
  SQLCHAR state[6] = {};
  SQLCHAR text[512] = {};
  while (SQLErrorImpl(nullptr, nullptr, &stmt_, state, nullptr, text, sizeof text, nullptr) !=
         SQL_NO_DATA_FOUND) {
    out.push_back(std::string(reinterpret_cast<char*>(state)) + ":" +
                  reinterpret_cast<char*>(text));
  }
  return out;
}

std::vector<std::string> StmtFixture::States() {
  std::vector<std::string> out;
  for (const std::string& m : Messages()) out.push_back(m.substr(0, 5));
  return out;
}
