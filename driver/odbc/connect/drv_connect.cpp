#include "driver/odbc/connect/drv_connect.h"

#include <sqlext.h>

#include <cstring>
#include <memory>

#include "common/key_value_list.h"
#include "common/memory.h"
#include "common/rec_array.h"
#include "common/str_util.h"
#include "driver/lna/lna_call.h"
#include "driver/odbc/connect/conn_string.h"
#include "driver/odbc/connect/dsn_keywords.h"
#include "driver/odbc/connect/get_info_api.h"
#include "driver/odbc/connect/login_data.h"
#include "driver/odbc/connect/login_string.h"
#include "driver/odbc/core/conn_keyword.h"
#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/core/rpc_status.h"
#include "driver/odbc/options/conn_options_api.h"
#include "driver/odbc/options/pending_options.h"
#include "driver/odbc/options/translation.h"
#include "driver/odbc/statement/stmt_exec.h"

namespace {

constexpr uint32_t kReplySize = 8192;
constexpr uint32_t kMaxValueLength = kConnKeywordValueSize - 1;

// What the login hands out, freed on every path.
struct LoginReply {
  LnaTypeInfo* types = nullptr;
  uint16_t type_count = 0;
  LnaTableType* table_types = nullptr;
  uint16_t table_type_count = 0;
  ~LoginReply() {
    MemFree(types);
    MemFree(table_types);
  }
};

struct Buffer {
  explicit Buffer(size_t size) : data(static_cast<char*>(MemAlloc(size))) {
    if (data != nullptr) data[0] = '\0';
  }
  ~Buffer() { MemFree(data); }
  char* data;
};

int32_t Fail(DrvConn* connection, uint32_t message) {
  PostDbcError(connection, message, 0, nullptr);
  return -1;
}

int32_t Login(DrvConn* connection, char* login, char* reply_text, bool* warning) {
  ReadDsnKeywords(connection->keywords, connection->keyword_count, connection->keyword_dsn,
                  connection->keyword_driver);
  ReadDsnArrayDefaults(connection->keywords, connection->keyword_count, connection->keyword_dsn,
                       connection->keyword_driver);
  int32_t length = 0;
  int32_t built =
      BuildConnectString(connection, login, static_cast<int32_t>(kLoginStringSize), &length, 0);
  if (built < 0) return -1;
  if (built == 1) *warning = true;
  if (AppendExtraDsnKeys(connection->keywords, connection->keyword_count, connection->keyword_dsn,
                         connection->keyword_driver, login, kLoginStringSize) != 0)
    return Fail(connection, kMsgErrOutOfMemory);
  if (DrvAddClientIdentity(login, kLoginStringSize) != 0)
    return Fail(connection, kMsgErrCommlinkFailed);
  if (DrvAddExecDesc(login, kLoginStringSize) != 0) return Fail(connection, kMsgErrOutOfMemory);
  FitLoginString(login, kLoginStringMaxSent);

  LoginReply reply;
  LnaConnectResult connect_result{};
  LnaLoginInfo52 defaults{};
  uint16_t functions[kFunctionTableSize] = {};
  uint32_t extra = 0;
  // SQL_LOGIN_TIMEOUT bounds the greeting and the login's reply; without it
  // the data source's LoginTimeout does.
  LnaSetLoginTimeout(connection->lna, connection->login_timeout);
  int16_t status =
      LnaConnectMP(connection->lna, login, reply_text, static_cast<int32_t>(kReplySize), &extra,
                   &connection->server_info, &connection->info154, &connection->info96,
                   &reply.types, &reply.type_count, &reply.table_types, &reply.table_type_count,
                   functions, &connect_result, &defaults);
  reply_text[kReplySize - 1] = '\0';
  SQLRETURN mapped = DrvMapRpcStatus(connection, status);
  if (mapped == SQL_ERROR) return -1;
  if (mapped == SQL_SUCCESS_WITH_INFO) *warning = true;
  // A login that reports success must have left the connection open.
  if (!LnaIsConnected(connection->lna)) return Fail(connection, kMsgErrConnectServer);

  StoreLoginOptions(connection, connect_result, defaults);
  if (StoreLoginTypes(connection, reply.types, reply.type_count, reply.table_types,
                      reply.table_type_count) != 0)
    return -1;
  connection->exec_direct = DrvExecDirect;
  SetFunctionTable(connection, functions);
  return 0;
}

}  // namespace

int32_t DrvConnect(DrvConn* connection) {
  bool warning = false;
  int32_t result = -1;
  {
    Buffer login(kLoginStringSize);
    Buffer reply(kReplySize);
    if (login.data == nullptr || reply.data == nullptr) {
      Fail(connection, kMsgErrOutOfMemory);
    } else if (Login(connection, login.data, reply.data, &warning) == 0) {
      if (ReplayPendingOptions(connection) != SQL_SUCCESS) warning = true;
      if (DrvPostLogin(connection, reply.data) == 0) result = warning ? 1 : 0;
    }
  }
  DropPendingOptions(connection);
  if (result < 0 && LnaIsConnected(connection->lna)) DrvDisconnect(connection);
  if (result < 0) DropLoginTypes(connection);
  return result;
}

int32_t DrvPostLogin(DrvConn* connection, const char* reply) {
  RecArray* pairs = ArrCreate(8, sizeof(KeyValueRecord), 0, 0);
  if (pairs == nullptr) return Fail(connection, kMsgErrOutOfMemory);
  std::unique_ptr<RecArray, void (*)(RecArray*)> hold(pairs, ArrDestroy);
  switch (ParseKeyValueList(pairs, reply)) {
    case kKeyValueOk:
      break;
    case kKeyValueMissingEquals:
      return Fail(connection, kMsgErrNoEqualsInConstr);
    case kKeyValueBadKey:
      return Fail(connection, kMsgErrConstrSyntax);
    default:
      return Fail(connection, kMsgErrOutOfMemory);
  }
  const uint32_t count = ArrCount(pairs);
  if (count == 0) return 0;
  void* grown = connection->keywords;
  if (MemRealloc(&grown, (connection->keyword_count + count) * sizeof(ConnKeyword)) != 0)
    return Fail(connection, kMsgErrOutOfMemory);
  connection->keywords = static_cast<ConnKeyword*>(grown);
  for (uint32_t p = 0; p < count; ++p) {
    const auto* pair = static_cast<const KeyValueRecord*>(ArrAt(pairs, p));
    if (pair->value_length > kMaxValueLength) return Fail(connection, kMsgErrConstrValueTooLong);
    bool known = false;
    for (uint32_t k = 0; k < connection->keyword_count && !known; ++k) {
      const char* name = connection->keywords[k].name;
      known = std::strlen(name) == pair->key_length &&
              StrCaseNCompare(name, pair->key, pair->key_length) == 0;
    }
    if (known) continue;
    auto* name = static_cast<char*>(MemAlloc(pair->key_length + 1));
    if (name == nullptr) return Fail(connection, kMsgErrOutOfMemory);
    std::memcpy(name, pair->key, pair->key_length);
    name[pair->key_length] = '\0';
    ConnKeyword& added = connection->keywords[connection->keyword_count++];
    added = ConnKeyword{};
    added.name = name;
    added.owned_name = 1;
    added.kind = kKeywordOptional;
    if (pair->value_length > 0) std::memcpy(added.value, pair->value, pair->value_length);
    added.value[pair->value_length] = '\0';
    added.set = 1;
  }
  return 0;
}

SQLRETURN DrvDisconnect(DrvConn* connection) {
  SQLRETURN result = DrvMapRpcStatus(connection, LnaDisconnectSP(connection->lna));
  if (result == SQL_ERROR) return result;
  DropLoginTypes(connection);
  return result;
}

void AbortConnectAttempt(DrvConn* connection) {
  UnloadTranslationLibrary(connection);
  if (connection->state == kConnConnected) {
    DrvDisconnect(connection);
    connection->state = kConnAllocated;
  }
  ClearConnectKeywords(connection);
  DropAddedKeywords(connection);
}

void DropAddedKeywords(DrvConn* connection) {
  uint32_t kept = 0;
  for (uint32_t k = 0; k < connection->keyword_count; ++k) {
    ConnKeyword& keyword = connection->keywords[k];
    if (keyword.owned_name) {
      MemFree(const_cast<char*>(keyword.name));
      ArrDestroy(keyword.choices);
      continue;
    }
    if (kept != k) connection->keywords[kept] = keyword;
    ++kept;
  }
  connection->keyword_count = kept;
}
