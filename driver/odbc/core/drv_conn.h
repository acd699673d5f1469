// The connection handle. Allocation (conn_handle.h) gives it its keyword
// table, option defaults and lists; the connect functions fill the rest from
// the login reply, and SQLDisconnect empties it again.
#pragma once

#include <sql.h>

#include <cstdint>

#include "driver/odbc/core/stmt_options.h"
#include "platform/module.h"
#include "wire/login_records.h"

struct ConnKeyword;
struct DrvEnv;
struct DrvStmt;
struct LnaConnection;
struct RecArray;
struct TableTypeEntry;
struct TraceHandle;
struct TypeDescriptor;
struct TypePair;

// Connection states.
enum : uint16_t {
  kConnAllocated = 1,  // not connected
  kConnBrowsing = 2,   // a browse connect needs more attributes
  kConnConnected = 3,  // no statement, no open transaction
  kConnWithStmts = 4,  // connected with statements
  kConnInTransaction = 5,
};

constexpr uint32_t kFunctionTableSize = 100;
constexpr uint32_t kQualifierSize = 256;

// The connection's direct-execution routine: (statement, text) -> ODBC code.
using DrvExecDirectFn = SQLRETURN (*)(DrvStmt* statement, const char* text);

struct DrvConn {
  DrvEnv* env;
  uint16_t state;
  RecArray* statements;   // DrvStmt pointers, unique
  RecArray* diagnostics;  // DiagRecord
  uint32_t diag_overflow;

  // Connection options, overwritten by the login reply.
  uint32_t access_mode;
  uint32_t autocommit;
  uint32_t login_timeout;
  uint32_t txn_isolation;

  // Translation library.
  uint32_t translate_option;
  char* translate_dll;  // owned, null when none is loaded
  PlatModule translate_module;
  void* driver_to_data_source;
  void* data_source_to_driver;

  char qualifier[kQualifierSize];
  uint32_t odbc_cursors;
  uint32_t packet_size;       // the array fetch buffer size in bytes
  uintptr_t quiet_mode;       // a window handle
  StmtOptions stmt_defaults;  // copied into every new statement

  // The server's data types: descriptors and pairs of `type_count` entries,
  // the first `server_type_count` of them sent by the server.
  TypeDescriptor* type_descs;
  TypePair* type_pairs;
  uint32_t type_count;
  uint32_t server_type_count;

  TableTypeEntry* table_types;
  uint32_t table_type_count;

  // What the server said about itself at login; SQLGetInfo answers from it.
  LnaServerInfo server_info;
  LnaLoginInfo154 info154;
  LnaLoginInfo96 info96;

  DrvExecDirectFn exec_direct;
  uint16_t functions[kFunctionTableSize];  // by SQL_API number, from the login

  ConnKeyword* keywords;  // MemAlloc block
  uint32_t keyword_count;
  uint32_t keyword_dsn;
  uint32_t keyword_driver;
  uint32_t keyword_uid;
  uint32_t keyword_pwd;

  TraceHandle* trace;  // null while no trace is open
  int32_t trace_level;

  LnaConnection* lna;  // the call layer's record of the login

  int32_t pool_id;            // made at login, destroyed at disconnect
  RecArray* pending_options;  // options set before a connection existed
  uint32_t stmt_option_mask;  // from the login reply, copied into statements
};
