#include "testing/server_conn_support.h"

#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>

#include "driver/odbc/connect/connect_api.h"
#include "server/listener.h"
#include "testing/dispatch_harness.h"

ServerFixture::ServerFixture()
    : listener_(std::make_unique<velsrv::Listener>(velsrv_test::ScriptedConfig(), backend_)) {
  std::string error;
  EXPECT_TRUE(listener_->Open(&error)) << error;
  listener_->Start();
}

ServerFixture::~ServerFixture() {
  listener_->Stop();
}

std::string ServerFixture::Address() const {
  return "127.0.0.1." + std::to_string(listener_->port());
}

std::string ServerFixture::ConnectString() const {
  return "ServerName=" + Address() + ";ServerDSN=sales;UID=scott;PWD=tiger";
}

SQLRETURN ServerFixture::Connect(DrvConn* connection) const {
  std::string text = ConnectString();
  return SQLDriverConnectImpl(connection, nullptr,
                              reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str())), SQL_NTS,
                              nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
}
