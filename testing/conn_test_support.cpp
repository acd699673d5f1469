#include "testing/conn_test_support.h"

#include <sqlext.h>

#include <cstring>

#include "common/pool.h"
#include "driver/lna/lna_call.h"
#include "driver/odbc/connect/conn_handle.h"
#include "driver/odbc/connect/env_handle.h"
#include "driver/odbc/core/conn_keyword.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_env.h"
#include "driver/odbc/diag/drv_messages.h"
#include "driver/odbc/diag/sql_error.h"

ConnFixture::ConnFixture() {
  PoolTableInit();
  DrvLoadMessages();
  LnaInit();
  SQLHENV henv = SQL_NULL_HENV;
  SQLAllocEnvImpl(&henv);
  env_ = static_cast<DrvEnv*>(henv);
  SQLHDBC hdbc = SQL_NULL_HDBC;
  SQLAllocConnectImpl(env_, &hdbc);
  conn_ = static_cast<DrvConn*>(hdbc);
}

ConnFixture::~ConnFixture() {
  SQLFreeConnectImpl(conn_);
  SQLFreeEnvImpl(env_);
  LnaTerm();
  DrvReleaseMessages();
  PoolTableTerm();
}

namespace {

// The SQLSTATEs posted on a connection or a statement; the list is emptied.
std::vector<std::string> PostedStates(SQLHDBC conn, SQLHSTMT stmt) {
  std::vector<std::string> states;
  SQLCHAR state[6] = {};
  while (SQLErrorImpl(nullptr, conn, stmt, state, nullptr, nullptr, 0, nullptr) !=
         SQL_NO_DATA_FOUND) {
    states.emplace_back(reinterpret_cast<char*>(state));
    if (states.size() > 20) break;
  }
  return states;
}

}  // namespace

std::vector<std::string> ConnFixture::States() const {
  return PostedStates(conn_, nullptr);
}

std::string ConnFixture::Value(const char* name) const {
  for (uint32_t k = 0; k < conn_->keyword_count; ++k) {
    const ConnKeyword& keyword = conn_->keywords[k];
    if (std::strcmp(keyword.name, name) == 0)
      return keyword.set ? std::string(keyword.value) : std::string("<unset>");
  }
  return "<absent>";
}

std::vector<std::string> StmtStates(DrvStmt* stmt) {
  return PostedStates(nullptr, stmt);
}
