// A statement connected through the workers to a velsrv on loopback in
// front of SQLite: one server for each suite, one connection for each test.
#pragma once

#include <gtest/gtest.h>

#include "testing/conn_test_support.h"

struct DrvStmt;

class SqliteStmtTest : public ::testing::Test {
 protected:
  // For a suite's SetUpTestSuite and TearDownTestSuite: the server with its
  // data source `dsn`.
  static void StartServer(const char* dsn);
  static void StopServer();

  // For SetUp: connects to `dsn` and allocates s_; a fatal failure when
  // the server did not start or either step fails.
  void Connect(const char* dsn);
  void TearDown() override;

  ConnFixture f_;
  DrvStmt* s_ = nullptr;
};
