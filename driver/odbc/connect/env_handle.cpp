#include "driver/odbc/connect/env_handle.h"

#include <mutex>
#include <new>

#include "common/memory.h"
#include "common/profile_path.h"
#include "common/rec_array.h"
#include "driver/odbc/convert/conv_tables.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_env.h"
#include "driver/odbc/core/handle_entry.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/diag/drv_messages.h"

namespace {

constexpr uint32_t kConnectionGrowth = 4;
constexpr size_t kProfilePathBuffer = 512;

// The driver manager frees the driver's environment at every disconnect and
// calls from any thread, so the first set-up and the last release can race:
// the count and what it guards change only under this lock.
std::mutex g_env_mutex;
uint32_t g_live_envs = 0;

void SetUpProcess() {
  DrvInitConversions();
  char path[kProfilePathBuffer];
  DrvMessageText(kMsgClientIniFile, path, sizeof path);
  ProfilePathSet(path);
}

void UncountEnv() {
  std::lock_guard<std::mutex> hold(g_env_mutex);
  if (g_live_envs == 0) return;
  if (--g_live_envs == 0) ReleaseConvTypes();
}

void FreeEnvLists(DrvEnv* env) {
  ArrDestroy(env->connections);
  env->connections = nullptr;
  DestroyDiagList(env->diagnostics);
  env->diagnostics = nullptr;
}

}  // namespace

int32_t DrvAllocEnv(DrvEnv** env) {
  *env = nullptr;
  {
    std::lock_guard<std::mutex> hold(g_env_mutex);
    if (g_live_envs == 0) SetUpProcess();
    ++g_live_envs;
  }
  void* block = MemAlloc(sizeof(DrvEnv));
  if (block == nullptr) {
    // Uncounted again, so the tables are not kept for an environment that
    // never existed.
    UncountEnv();
    return -1;
  }
  *env = new (block) DrvEnv{};
  return 0;
}

void DrvFreeEnv(DrvEnv* env) {
  if (env == nullptr) return;
  UncountEnv();
  env->~DrvEnv();
  MemFree(env);
}

uint32_t TEST_DrvLiveEnvCount() {
  std::lock_guard<std::mutex> hold(g_env_mutex);
  return g_live_envs;
}

SQLRETURN SQLAllocEnvImpl(SQLHENV* phenv) {
  if (phenv == nullptr) return SQL_ERROR;
  *phenv = SQL_NULL_HENV;
  ConvInit();
  DrvEnv* env = nullptr;
  if (DrvAllocEnv(&env) != 0) {
    ConvTerm();
    return SQL_ERROR;
  }
  if (!SharedMutex::Acquire(&env->lock)) {
    DrvFreeEnv(env);
    ConvTerm();
    return SQL_ERROR;
  }
  env->connections = ArrCreate(kConnectionGrowth, sizeof(DrvConn*), 1, 0);
  env->diagnostics = CreateDiagList();
  if (env->connections == nullptr || env->diagnostics == nullptr) {
    FreeEnvLists(env);
    SharedMutex::Release(&env->lock);
    DrvFreeEnv(env);
    ConvTerm();
    return SQL_ERROR;
  }
  *phenv = env;
  return SQL_SUCCESS;
}

SQLRETURN SQLFreeEnvImpl(SQLHENV henv) {
  return EnvEntry(henv, [](DrvEnv* env) -> SQLRETURN {
    {
      SharedMutexHold hold(&env->lock);
      // Connections still on the list would keep pointing at a freed
      // environment.
      if (env->connections != nullptr && env->connections->count > 0) {
        PostEnvError(env, kMsgErrOutOfSequence, 0, nullptr);
        return SQL_ERROR;
      }
      FreeEnvLists(env);
    }
    SharedMutex::Release(&env->lock);
    DrvFreeEnv(env);
    ConvTerm();
    return SQL_SUCCESS;
  });
}
