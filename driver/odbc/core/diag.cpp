#include "driver/odbc/core/diag.h"

#include <cstring>
#include <mutex>

#include "common/memory.h"
#include "common/rec_array.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/drv_env.h"
#include "driver/odbc/core/drv_stmt.h"

namespace {

constexpr uint32_t kDiagGrowth = 3;

std::mutex g_lists;

char* CopyText(const char* text) {
  size_t size = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(MemAlloc(size));
  if (copy != nullptr) std::memcpy(copy, text, size);
  return copy;
}

void FreeTexts(RecArray* list) {
  for (uint32_t i = 0; i < list->count; ++i) {
    auto* record = static_cast<DiagRecord*>(ArrAt(list, i));
    MemFree(record->text);
    record->text = nullptr;
  }
}

void ClearList(RecArray* list, uint32_t* overflow) {
  DiagListLock hold;
  if (list != nullptr) {
    FreeTexts(list);
    ArrClear(list);
  }
  *overflow = 0;
}

int32_t Post(RecArray* list, uint32_t* overflow, uint32_t number, const char* sqlstate,
             int32_t native, const char* text) {
  DiagListLock hold;
  if (AddDiagRecord(list, number, sqlstate, native, text) == 0) return 0;
  *overflow = 1;
  return -1;
}

}  // namespace

DiagListLock::DiagListLock() {
  g_lists.lock();
}

DiagListLock::~DiagListLock() {
  g_lists.unlock();
}

RecArray* CreateDiagList() {
  return ArrCreate(kDiagGrowth, sizeof(DiagRecord), 0, 0);
}

void DestroyDiagList(RecArray* list) {
  if (list == nullptr) return;
  FreeTexts(list);
  ArrDestroy(list);
}

int MergeDuplicateDiag(RecArray* list, DiagRecord* record) {
  if (list == nullptr || record->text == nullptr) return 0;
  for (uint32_t i = 0; i < list->count; ++i) {
    auto* listed = static_cast<DiagRecord*>(ArrAt(list, i));
    if (listed->number != record->number || listed->native != record->native) continue;
    if (listed->text != nullptr && std::strcmp(listed->text, record->text) != 0) return 0;
    MemFree(listed->text);
    listed->text = record->text;
    record->text = nullptr;
    return 1;
  }
  return 0;
}

int32_t AddDiagRecord(RecArray* list, uint32_t number, const char* sqlstate, int32_t native,
                      const char* text) {
  if (list == nullptr) return -1;
  DiagRecord record = {};
  record.number = number;
  record.native = native;
  if (sqlstate != nullptr) {
    std::strncpy(record.sqlstate, sqlstate, kSqlStateSize - 1);
    record.sqlstate[kSqlStateSize - 1] = '\0';
  }
  if (text != nullptr) {
    record.text = CopyText(text);
    if (record.text == nullptr) return -1;
  }
  if (MergeDuplicateDiag(list, &record)) return 0;
  if (ArrAppend(list, &record) != kArrOk) {
    MemFree(record.text);
    return -1;
  }
  return 0;
}

void ClearHandleErrors(DrvEnv* env, DrvConn* connection, DrvStmt* statement) {
  if (env != nullptr) ClearList(env->diagnostics, &env->diag_overflow);
  if (connection != nullptr) ClearList(connection->diagnostics, &connection->diag_overflow);
  if (statement != nullptr) ClearList(statement->diagnostics, &statement->diag_overflow);
}

int32_t PostEnvError(DrvEnv* env, uint32_t number, int32_t native, const char* text) {
  if (env == nullptr) return -1;
  return Post(env->diagnostics, &env->diag_overflow, number, nullptr, native, text);
}

int32_t PostDbcError(DrvConn* connection, uint32_t number, int32_t native, const char* text) {
  if (connection == nullptr) return -1;
  return Post(connection->diagnostics, &connection->diag_overflow, number, nullptr, native, text);
}

int32_t PostStmtError(DrvStmt* statement, uint32_t number, int32_t native, const char* text) {
  if (statement == nullptr) return -1;
  return Post(statement->diagnostics, &statement->diag_overflow, number, nullptr, native, text);
}

int32_t PostDbcStateError(DrvConn* connection, const char* sqlstate, int32_t native,
                          const char* text) {
  if (connection == nullptr) return -1;
  int32_t result =
      Post(connection->diagnostics, &connection->diag_overflow, 0, sqlstate, native, text);
  connection->state = StateAfterSqlState(connection->state, sqlstate);
  return result;
}

int32_t PostStmtStateError(DrvStmt* statement, const char* sqlstate, int32_t native,
                           const char* text) {
  if (statement == nullptr) return -1;
  int32_t result =
      Post(statement->diagnostics, &statement->diag_overflow, 0, sqlstate, native, text);
  if (statement->conn != nullptr) {
    statement->conn->state = StateAfterSqlState(statement->conn->state, sqlstate);
  }
  return result;
}

uint16_t StateAfterSqlState(uint16_t state, const char* sqlstate) {
  return sqlstate != nullptr && std::strcmp(sqlstate, "40001") == 0
             ? static_cast<uint16_t>(kConnConnected)
             : state;
}
