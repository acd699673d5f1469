#include "driver/odbc/connect/conn_handle.h"

#include <cstring>
#include <new>

#include "common/memory.h"
#include "common/rec_array.h"
#include "common/trace.h"
#include "driver/lna/lna_call.h"
#include "driver/odbc/connect/login_data.h"
#include "driver/odbc/core/conn_keyword.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_env.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/options/pending_options.h"
#include "driver/odbc/options/translation.h"

namespace {

constexpr uint32_t kStatementGrowth = 4;
constexpr uint32_t kDefaultTxnIsolation = 4;

void SetDefaults(DrvConn* connection) {
  connection->keyword_count = kDefaultKeywordCount;
  connection->keyword_dsn = kKeywordDsn;
  connection->keyword_driver = kKeywordDriver;
  connection->keyword_uid = kKeywordUid;
  connection->keyword_pwd = kKeywordPwd;
  connection->access_mode = 0;
  connection->autocommit = 1;
  connection->login_timeout = 0;
  connection->txn_isolation = kDefaultTxnIsolation;
  connection->odbc_cursors = 1;
  connection->packet_size = 0;
  connection->quiet_mode = 0;
  connection->stmt_defaults = kStmtOptionDefaults;
  connection->qualifier[0] = '\0';
}

}  // namespace

int32_t DrvAllocConnect(DrvEnv* env, DrvConn** connection) {
  *connection = nullptr;
  void* block = MemAlloc(sizeof(DrvConn));
  if (block == nullptr) {
    PostEnvError(env, kMsgErrOutOfMemory, 0, nullptr);
    return -1;
  }
  auto* made = new (block) DrvConn{};
  made->keywords = static_cast<ConnKeyword*>(MemAlloc(sizeof kDefaultConnKeywords));
  if (made->keywords == nullptr) {
    PostEnvError(env, kMsgErrOutOfMemory, 0, nullptr);
    DrvFreeConnect(made);
    return -1;
  }
  std::memcpy(made->keywords, kDefaultConnKeywords, sizeof kDefaultConnKeywords);
  if (LnaAllocConnect(&made->lna) != kLnaOk) {
    PostEnvError(env, kMsgErrOutOfMemory, 0, nullptr);
    DrvFreeConnect(made);
    return -1;
  }
  SetDefaults(made);
  *connection = made;
  return 0;
}

void DrvFreeConnect(DrvConn* connection) {
  if (connection == nullptr) return;
  if (connection->keywords != nullptr) {
    for (uint32_t i = 0; i < connection->keyword_count; ++i) {
      ConnKeyword& keyword = connection->keywords[i];
      if (keyword.owned_name) MemFree(const_cast<char*>(keyword.name));
      ArrDestroy(keyword.choices);
    }
    MemFree(connection->keywords);
  }
  UnloadTranslationLibrary(connection);
  LnaFreeConnect(connection->lna);
  DropLoginTypes(connection);
  DropPendingOptions(connection);
  TraceClose(connection->trace);
  connection->~DrvConn();
  MemFree(connection);
}

namespace {

SQLRETURN AllocConnect(DrvEnv* env, SQLHDBC* phdbc) {
  if (phdbc == nullptr) {
    PostEnvError(env, kMsgErrInvalArg, 0, nullptr);
    return SQL_ERROR;
  }
  *phdbc = SQL_NULL_HDBC;
  DrvConn* connection = nullptr;
  if (DrvAllocConnect(env, &connection) != 0) return SQL_ERROR;

  connection->env = env;
  connection->state = kConnAllocated;
  connection->statements = ArrCreate(kStatementGrowth, sizeof(DrvStmt*), 1, 0);
  connection->diagnostics = CreateDiagList();
  bool listed = false;
  if (connection->statements != nullptr && connection->diagnostics != nullptr) {
    SharedMutexHold hold(&env->lock);
    listed = env->connections != nullptr && ArrAppend(env->connections, &connection) == kArrOk;
  }
  if (!listed) {
    PostEnvError(env, kMsgErrOutOfMemory, 0, nullptr);
    SQLFreeConnectImpl(connection);
    return SQL_ERROR;
  }
  ClearConnectKeywords(connection);
  *phdbc = connection;
  return SQL_SUCCESS;
}

SQLRETURN FreeConnect(DrvConn* connection) {
  // Statements still on the list would keep pointing at a freed connection.
  if (connection->statements != nullptr && connection->statements->count > 0) {
    PostDbcError(connection, kMsgErrOutOfSequence, 0, nullptr);
    return SQL_ERROR;
  }
  if (DrvEnv* env = connection->env; env != nullptr) {
    SharedMutexHold hold(&env->lock);
    uint32_t index = 0;
    if (env->connections != nullptr && ArrFind(env->connections, &connection, &index) == kArrOk) {
      ArrRemoveAt(env->connections, index);
    }
  }
  ArrDestroy(connection->statements);
  connection->statements = nullptr;
  DestroyDiagList(connection->diagnostics);
  connection->diagnostics = nullptr;
  DrvFreeConnect(connection);
  return SQL_SUCCESS;
}

}  // namespace

SQLRETURN SQLAllocConnectImpl(SQLHENV henv, SQLHDBC* phdbc) {
  return EnvEntry(henv, [&](DrvEnv* env) { return AllocConnect(env, phdbc); });
}

SQLRETURN SQLFreeConnectImpl(SQLHDBC hdbc) {
  return ConnectionEntry(hdbc, kNoTraceLines, FreeConnect);
}
