// Environment and connection handles through their workers.
#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "common/memory.h"
#include "common/pool.h"
#include "common/profile_path.h"
#include "common/rec_array.h"
#include "driver/lna/lna_call.h"
#include "driver/odbc/connect/conn_handle.h"
#include "driver/odbc/connect/env_handle.h"
#include "driver/odbc/convert/conv_routines.h"
#include "driver/odbc/convert/conv_tables.h"
#include "driver/odbc/core/conn_keyword.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_env.h"
#include "driver/odbc/core/drv_stmt.h"
#include "driver/odbc/diag/drv_messages.h"
#include "driver/odbc/diag/sql_error.h"
#include "testing/test_env.h"

namespace {

class HandlesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PoolTableInit();
    DrvLoadMessages();
    LnaInit();
  }
  void TearDown() override {
    MemFailAfter(0);
    EXPECT_EQ(TEST_DrvLiveEnvCount(), 0u);
    EXPECT_EQ(TEST_ConvUseCount(), 0u);
    LnaTerm();
    DrvReleaseMessages();
    PoolTableTerm();
  }

  static DrvEnv* NewEnv() {
    SQLHENV henv = SQL_NULL_HENV;
    EXPECT_EQ(SQLAllocEnvImpl(&henv), SQL_SUCCESS);
    return static_cast<DrvEnv*>(henv);
  }
  static DrvConn* NewConn(DrvEnv* env) {
    SQLHDBC hdbc = SQL_NULL_HDBC;
    EXPECT_EQ(SQLAllocConnectImpl(env, &hdbc), SQL_SUCCESS);
    return static_cast<DrvConn*>(hdbc);
  }
  static std::string StateOf(SQLHENV henv, SQLHDBC hdbc) {
    SQLCHAR state[6] = {};
    SQLRETURN result = SQLErrorImpl(henv, hdbc, nullptr, state, nullptr, nullptr, 0, nullptr);
    if (result == SQL_ERROR) return "error";
    return reinterpret_cast<char*>(state);
  }
  static bool LockFree(DrvEnv* env) { return env->lock.mutex.load()->lock_count() == 0; }
};

TEST_F(HandlesTest, FreshConnectionStartsFromTheDefaults) {
  DrvEnv* env = NewEnv();
  DrvConn* connection = NewConn(env);
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(connection->env, env);
  EXPECT_EQ(connection->state, kConnAllocated);
  EXPECT_EQ(connection->trace, nullptr);
  EXPECT_EQ(connection->keyword_count, 11u);
  const char* const names[] = {"DSN",         "DRIVER",   "ServerName",   "ServerDSN",
                               "UID",         "PWD",      "ArrayFetchOn", "ArrayBufferSize",
                               "AsyncEnable", "DMAccess", "LoginTimeout"};
  for (uint32_t i = 0; i < 11; ++i) {
    EXPECT_STREQ(connection->keywords[i].name, names[i]);
    EXPECT_EQ(connection->keywords[i].set, 0u);
    EXPECT_STREQ(connection->keywords[i].value, "");
  }
  EXPECT_STREQ(connection->keywords[connection->keyword_uid].name, "UID");
  EXPECT_STREQ(connection->keywords[connection->keyword_pwd].name, "PWD");
  EXPECT_STREQ(connection->keywords[connection->keyword_driver].name, "DRIVER");
  EXPECT_EQ(connection->autocommit, 1u);
  EXPECT_EQ(connection->txn_isolation, 4u);
  EXPECT_EQ(connection->access_mode, 0u);
  EXPECT_EQ(connection->odbc_cursors, 1u);
  EXPECT_STREQ(connection->qualifier, "");
  const uint32_t options[16] = {0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
  EXPECT_EQ(std::memcmp(connection->stmt_defaults.slot, options, sizeof options), 0);
  EXPECT_EQ(env->connections->count, 1u);
  EXPECT_EQ(connection->statements->count, 0u);

  EXPECT_EQ(SQLFreeConnectImpl(connection), SQL_SUCCESS);
  EXPECT_EQ(env->connections->count, 0u);
  EXPECT_EQ(SQLFreeEnvImpl(env), SQL_SUCCESS);
}

TEST_F(HandlesTest, FailedConnectionAllocationLeavesNothingBehind) {
  DrvEnv* env = NewEnv();
  DrvConn* keeper = NewConn(env);  // the list has to keep what it holds
  bool succeeded = false;
  for (long n = 1; n < 100 && !succeeded; ++n) {
    SQLHDBC hdbc = reinterpret_cast<SQLHDBC>(0x1);
    MemFailAfter(n);
    SQLRETURN result = SQLAllocConnectImpl(env, &hdbc);
    MemFailAfter(0);
    if (result == SQL_SUCCESS) {
      succeeded = true;
      EXPECT_EQ(env->connections->count, 2u);
      EXPECT_EQ(SQLFreeConnectImpl(hdbc), SQL_SUCCESS);
      continue;
    }
    EXPECT_EQ(result, SQL_ERROR) << "allocation " << n;
    EXPECT_EQ(hdbc, nullptr) << "allocation " << n;
    EXPECT_EQ(env->connections->count, 1u) << "allocation " << n;
    EXPECT_TRUE(LockFree(env)) << "allocation " << n;
    // The failure is reported, unless the report itself found no memory.
    std::string state = StateOf(env, nullptr);
    EXPECT_TRUE(state == "S1001" || state == "error") << "allocation " << n << ": " << state;
  }
  EXPECT_TRUE(succeeded);
  EXPECT_EQ(SQLFreeConnectImpl(keeper), SQL_SUCCESS);
  EXPECT_EQ(SQLFreeEnvImpl(env), SQL_SUCCESS);
}

TEST_F(HandlesTest, FailedEnvironmentAllocationIsNotCounted) {
  bool succeeded = false;
  for (long n = 1; n < 100 && !succeeded; ++n) {
    SQLHENV henv = reinterpret_cast<SQLHENV>(0x1);
    MemFailAfter(n);
    SQLRETURN result = SQLAllocEnvImpl(&henv);
    MemFailAfter(0);
    if (result == SQL_SUCCESS) {
      succeeded = true;
      EXPECT_EQ(TEST_DrvLiveEnvCount(), 1u);
      EXPECT_EQ(SQLFreeEnvImpl(henv), SQL_SUCCESS);
      continue;
    }
    EXPECT_EQ(result, SQL_ERROR);
    EXPECT_EQ(henv, nullptr);
    EXPECT_EQ(TEST_DrvLiveEnvCount(), 0u) << "allocation " << n;
    EXPECT_EQ(TEST_ConvUseCount(), 0u) << "allocation " << n;
  }
  EXPECT_TRUE(succeeded);
}

TEST_F(HandlesTest, ConversionTablesLiveUntilTheLastEnvironment) {
  for (bool first_freed_first : {true, false}) {
    DrvEnv* first = NewEnv();
    EXPECT_STREQ(ProfilePathGet(), "HKEY_CURRENT_USER\\Software\\odbc\\odbc.ini");
    DrvEnv* second = NewEnv();
    EXPECT_EQ(TEST_DrvLiveEnvCount(), 2u);
    EXPECT_EQ(TEST_ConvUseCount(), 1u);  // registered once, by the first
    EXPECT_EQ(SQLFreeEnvImpl(first_freed_first ? first : second), SQL_SUCCESS);
    EXPECT_EQ(TEST_ConvUseCount(), 1u);
    EXPECT_EQ(ConvLookup(1, 4, nullptr, nullptr), TextToLong);
    EXPECT_EQ(SQLFreeEnvImpl(first_freed_first ? second : first), SQL_SUCCESS);
    EXPECT_EQ(TEST_ConvUseCount(), 0u);
  }
}

TEST_F(HandlesTest, HandlesInUseCannotBeFreed) {
  DrvEnv* env = NewEnv();
  DrvConn* connection = NewConn(env);
  EXPECT_EQ(SQLFreeEnvImpl(env), SQL_ERROR);
  EXPECT_EQ(StateOf(env, nullptr), "S1010");
  EXPECT_TRUE(LockFree(env));

  DrvStmt statement = {};
  DrvStmt* listed = &statement;
  ASSERT_EQ(ArrAppend(connection->statements, &listed), kArrOk);
  EXPECT_EQ(SQLFreeConnectImpl(connection), SQL_ERROR);
  EXPECT_EQ(StateOf(nullptr, connection), "S1010");
  ASSERT_EQ(ArrRemoveAt(connection->statements, 0), kArrOk);

  EXPECT_EQ(SQLFreeConnectImpl(connection), SQL_SUCCESS);
  EXPECT_EQ(SQLFreeEnvImpl(env), SQL_SUCCESS);
}

TEST_F(HandlesTest, BadArguments) {
  EXPECT_EQ(SQLAllocEnvImpl(nullptr), SQL_ERROR);
  EXPECT_EQ(SQLFreeEnvImpl(nullptr), SQL_INVALID_HANDLE);
  EXPECT_EQ(SQLFreeConnectImpl(nullptr), SQL_INVALID_HANDLE);
  SQLHDBC hdbc;
  EXPECT_EQ(SQLAllocConnectImpl(nullptr, &hdbc), SQL_INVALID_HANDLE);
  DrvEnv* env = NewEnv();
  EXPECT_EQ(SQLAllocConnectImpl(env, nullptr), SQL_ERROR);
  EXPECT_EQ(StateOf(env, nullptr), "S1009");
  EXPECT_EQ(SQLFreeEnvImpl(env), SQL_SUCCESS);
}

TEST_F(HandlesTest, OwnedKeywordNamesAreFreedWithTheConnection) {
  DrvEnv* env = NewEnv();
  DrvConn* connection = NewConn(env);
  // The login may grow the table by names of its own.
  void* grown = connection->keywords;
  ASSERT_EQ(MemRealloc(&grown, sizeof(ConnKeyword) * 11), 0);
  connection->keywords = static_cast<ConnKeyword*>(grown);
  ConnKeyword& added = connection->keywords[10];
  char* name = static_cast<char*>(MemAlloc(4));
  std::memcpy(name, "Foo", 4);
  added.name = name;
  added.owned_name = 1;
  connection->keyword_count = 11;
  EXPECT_EQ(SQLFreeConnectImpl(connection), SQL_SUCCESS);  // the leak check sees the rest
  EXPECT_EQ(SQLFreeEnvImpl(env), SQL_SUCCESS);
}

// The driver manager frees the driver's environment at each disconnect,
// from whatever thread the application uses.
TEST_F(HandlesTest, EnvironmentsComeAndGoOnManyThreads) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < 200; ++i) {
        SQLHENV henv = SQL_NULL_HENV;
        ASSERT_EQ(SQLAllocEnvImpl(&henv), SQL_SUCCESS);
        SQLHDBC hdbc = SQL_NULL_HDBC;
        ASSERT_EQ(SQLAllocConnectImpl(henv, &hdbc), SQL_SUCCESS);
        ASSERT_NE(ConvLookup(1, 4, nullptr, nullptr), nullptr);
        ASSERT_EQ(SQLFreeConnectImpl(hdbc), SQL_SUCCESS);
        ASSERT_EQ(SQLFreeEnvImpl(henv), SQL_SUCCESS);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
}

}  // namespace
