#include "driver/lna/lna_conn_attr.h"

#include <cstdlib>
#include <cstring>

#include "common/str_util.h"
#include "driver/lna/lna_errors.h"

namespace {

constexpr size_t kBoolBuffer = 128;
constexpr size_t kAsyncBuffer = 16;
constexpr size_t kDsnMax = 115;
constexpr uint32_t kMinArrayBuffer = 1024;
constexpr uint32_t kMaxArrayBuffer = 65000;

}  // namespace

int16_t LnaGetConnAttr(LnaConnection* conn, LnaStatement* stmt, const char* key,
                       const char* conn_string, char* out, size_t size) {
  if (out != nullptr && size > 0) out[0] = '\0';
  if (key == nullptr || conn_string == nullptr || out == nullptr || size == 0) return kLnaOk;
  const char* found = std::strstr(conn_string, key);
  if (found == nullptr) return kLnaOk;
  const char* equals = std::strchr(found, '=');
  if (equals == nullptr) {
    PostLnaError(conn, stmt, kLnaMsgNoEquals, 0, kLocNoEquals);
    return kLnaFailed;
  }
  const char* value = equals + 1;
  const char* end = value;
  bool quoted = false;
  for (; *end != '\0'; ++end) {
    if (*end == '"') quoted = !quoted;
    if (*end == ';' && !quoted) break;
  }
  size_t length = static_cast<size_t>(end - value);
  if (length >= size) {
    PostLnaError(conn, stmt, kLnaMsgBadAttr, 0, kLocBadAttr);
    return kLnaFailed;
  }
  std::memcpy(out, value, length);
  out[length] = '\0';
  return kLnaOk;
}

int16_t LnaGetConnAttrBool(LnaConnection* conn, LnaStatement* stmt, const char* key,
                           const char* conn_string, uint32_t* value) {
  char text[kBoolBuffer];
  *value = 0;
  int16_t rc = LnaGetConnAttr(conn, stmt, key, conn_string, text, sizeof text);
  if (rc != kLnaOk) return rc;
  if (std::strchr("1tTyY", text[0]) != nullptr && text[0] != '\0') {
    *value = 1;
  } else if (StrCaseCompare(text, "yes") == 0 || StrCaseCompare(text, "true") == 0 ||
             StrCaseCompare(text, "on") == 0) {
    *value = 1;
  }
  return kLnaOk;
}

void LnaReadArrayFetch(LnaConnection* conn, const char* conn_string) {
  uint32_t on = 0;
  if (LnaGetConnAttrBool(conn, nullptr, "ArrayFetchOn", conn_string, &on) != kLnaOk) on = 1;
  conn->array_buffer_size = kLnaDefaultArrayBuffer;
  if (on) {
    char text[kBoolBuffer];
    // Without a size the default one serves: array fetch asked for stays on.
    if (LnaGetConnAttr(conn, nullptr, "ArrayBufferSize", conn_string, text, sizeof text) ==
            kLnaOk &&
        text[0] != '\0') {
      uint32_t bytes = static_cast<uint32_t>(std::strtol(text, nullptr, 10)) << 10;
      if (bytes < kMinArrayBuffer || bytes > kMaxArrayBuffer)
        on = 0;
      else
        conn->array_buffer_size = bytes;
    }
  }
  conn->array_fetch = on;
}

void LnaReadAsyncEnable(LnaConnection* conn, const char* conn_string) {
  char text[kAsyncBuffer];
  conn->async_disabled = 0;
  if (LnaGetConnAttr(conn, nullptr, "AsyncEnable", conn_string, text, sizeof text) != kLnaOk)
    return;
  if (StrCaseCompare(text, "OFF") == 0 || StrCaseCompare(text, "NO") == 0 ||
      std::strcmp(text, "0") == 0)
    conn->async_disabled = 1;
}

TraceHandle* LnaOpenTrace(const char* conn_string, int32_t* level) {
  if (conn_string == nullptr) return nullptr;
  const char* found = std::strstr(conn_string, "DSN");
  if (found == nullptr) return nullptr;
  const char* equals = std::strchr(found, '=');
  char dsn[kDsnMax + 1] = "";
  if (equals != nullptr) {
    size_t n = std::strcspn(equals + 1, ";");
    if (n > kDsnMax) n = kDsnMax;
    std::memcpy(dsn, equals + 1, n);
    dsn[n] = '\0';
  }
  int32_t ignored = 0;
  return TraceOpen("HKEY_CURRENT_USER\\Software\\odbc\\odbc.ini", dsn, "LnaTrace",
                   level != nullptr ? level : &ignored);
}

void MaskConnPassword(char* conn_string) {
  if (conn_string == nullptr) return;
  // A string may name the password more than once (a DSN's and the
  // application's own); none of them may reach the trace.
  for (char* p = std::strstr(conn_string, "PWD"); p != nullptr; p = std::strstr(p + 1, "PWD")) {
    if (p[3] != '=') continue;
    for (char* c = p + 4; *c != '\0' && *c != ';'; ++c) *c = '*';
  }
}
