#include "testing/server_backends.h"

#include <sqlext.h>

#include <cstdio>

#include "driver/odbc/connect/connect_api.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/diag/sql_error.h"
#include "driver/odbc/statement/stmt_handle.h"

ServerBackends::ServerBackends(const char* sqlite_dsn, const char* postgres_dsn)
    : sqlite_dsn_(sqlite_dsn), postgres_dsn_(postgres_dsn) {}

ServerBackends::~ServerBackends() = default;

void ServerBackends::SetUp() {
  postgres_ = std::make_unique<PrivatePostgres>();
  std::vector<testing_odbc::OdbcHarness::ServerDsnEntry> more;
  if (postgres_->Start())
    more.push_back({"postgres", postgres_->OdbcConnectionString()});
  else
    std::fprintf(stderr, "PostgreSQL: %s\n", postgres_->error().c_str());
  testing_odbc::HarnessPaths paths{VELSRV_PATH, "", VEL_SQLITE_ODBC_DRIVER, ""};
  harness_ = std::make_unique<testing_odbc::OdbcHarness>(paths, sqlite_dsn_, more);
  // The user comes from the client's data source: a server data source
  // whose connect string held it would want a users list of velsrv.
  if (postgres_->running())
    harness_->AddDsn(postgres_dsn_, {std::string("UID=") + PrivatePostgres::kUser}, "postgres");
  harness_->ExportToThisProcess();
}

void ServerBackends::TearDown() {
  harness_.reset();
  postgres_.reset();
}

void ServerBackends::Require(const char* dsn) const {
  ASSERT_TRUE(harness_->ok()) << harness_->error();
  if (postgres_dsn_ == dsn && !postgres_->running())
    GTEST_SKIP() << "PostgreSQL cannot run here: " << postgres_->error();
}

ServerBackends* AddServerBackends(const char* sqlite_dsn, const char* postgres_dsn) {
  return static_cast<ServerBackends*>(
      ::testing::AddGlobalTestEnvironment(new ServerBackends(sqlite_dsn, postgres_dsn)));
}

ServerSession::ServerSession(const char* dsn, const char* uid) {
  DrvConn* c = conn_.conn();
  connected_ = SQLConnectImpl(c, Text(dsn), SQL_NTS, Text(uid), SQL_NTS, nullptr, 0) == SQL_SUCCESS;
  SQLHSTMT h = nullptr;
  if (connected_) connected_ = SQLAllocStmtImpl(c, &h) == SQL_SUCCESS;
  stmt_ = static_cast<DrvStmt*>(h);
}

ServerSession::~ServerSession() {
  if (stmt_ != nullptr) SQLFreeStmtImpl(stmt_, SQL_DROP);
  if (connected_) SQLDisconnectImpl(conn_.conn());
}

namespace {

std::vector<std::string> DrainMessages(DrvConn* connection, DrvStmt* statement) {
  std::vector<std::string> out;
  SQLCHAR state[6] = {};
  SQLCHAR text[1024] = {};
  while (SQLErrorImpl(nullptr, connection, statement, state, nullptr, text, sizeof text, nullptr) !=
         SQL_NO_DATA_FOUND) {
    out.push_back(std::string(reinterpret_cast<char*>(state)) + ":" +
                  reinterpret_cast<char*>(text));
  }
  return out;
}

}  // namespace

std::vector<std::string> ServerSession::Messages() {
  return DrainMessages(nullptr, stmt_);
}

std::vector<std::string> ServerSession::ConnMessages() {
  return DrainMessages(conn(), nullptr);
}
