// What every exported function wraps its worker in: the refusal of a
// library whose start failed, and the barrier that keeps C++ exceptions
// from crossing into the driver manager. The worker inside runs in its
// handle's shell (handle_entry.h).
#pragma once

#include <sql.h>

#include <new>

#include "driver/odbc/core/diag.h"
#include "driver/odbc/core/message_ids.h"

// Exports are the only names the library shows; everything else is hidden.
#define VEL_ODBC_EXPORT extern "C" __attribute__((visibility("default")))

struct DrvConn;
struct DrvEnv;
struct DrvStmt;

// An export that would hand out a new handle cannot, after a failed start.
template <typename Handle>
SQLRETURN RefuseNewHandle(Handle* out) {
  if (out != nullptr) *out = nullptr;
  return SQL_INVALID_HANDLE;
}

// Runs `body`; an exception becomes SQL_ERROR, with "S1001Memory allocation
// error." posted through `post` when memory ran out.
template <typename Post, typename Body>
SQLRETURN Guarded(Post post, Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    try {
      post();
    } catch (...) {
    }
    return SQL_ERROR;
  } catch (...) {
    return SQL_ERROR;
  }
}

template <typename Body>
SQLRETURN GuardEnv(SQLHENV henv, Body body) noexcept {
  return Guarded([&] { PostEnvError(static_cast<DrvEnv*>(henv), kMsgErrOutOfMemory, 0, nullptr); },
                 body);
}
template <typename Body>
SQLRETURN GuardConn(SQLHDBC hdbc, Body body) noexcept {
  return Guarded([&] { PostDbcError(static_cast<DrvConn*>(hdbc), kMsgErrOutOfMemory, 0, nullptr); },
                 body);
}
template <typename Body>
SQLRETURN GuardStmt(SQLHSTMT hstmt, Body body) noexcept {
  return Guarded(
      [&] { PostStmtError(static_cast<DrvStmt*>(hstmt), kMsgErrOutOfMemory, 0, nullptr); }, body);
}
