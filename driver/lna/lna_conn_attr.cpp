#include "driver/lna/lna_conn_attr.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "common/str_util.h"
#include "driver/lna/lna_errors.h"
#include "wire/array_buffer.h"

namespace {

constexpr size_t kBoolBuffer = 128;
constexpr size_t kAsyncBuffer = 16;
constexpr size_t kDsnMax = 115;

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
  conn->array_buffer_size = kDefaultArrayBuffer;
  if (on) {
    char text[kBoolBuffer];
    // Without a size the default one serves: array fetch asked for stays on.
    if (LnaGetConnAttr(conn, nullptr, "ArrayBufferSize", conn_string, text, sizeof text) ==
            kLnaOk &&
        text[0] != '\0') {
      uint32_t bytes = 0;
      if (!ArrayBufferBytes(text, &bytes))
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

namespace {

// The end of the value that starts at `value`: the next ';' outside double
// quotes or braces, or the end of the text.
char* ValueEnd(char* value) {
  char close = '\0';
  for (char* c = value; *c != '\0'; ++c) {
    if (close != '\0') {
      if (*c == close) close = '\0';
    } else if (*c == '"') {
      close = '"';
    } else if (*c == '{') {
      close = '}';
    } else if (*c == ';') {
      return c;
    }
  }
  return value + std::strlen(value);
}

// True when [key, end) is a password key: PWD, or the Password other
// drivers take, in any letter case, white space around it allowed.
bool IsPasswordKey(const char* key, const char* end) {
  while (key < end && std::isspace(static_cast<unsigned char>(*key))) ++key;
  while (end > key && std::isspace(static_cast<unsigned char>(end[-1]))) --end;
  size_t n = static_cast<size_t>(end - key);
  return (n == 3 && StrCaseNCompare(key, "PWD", 3) == 0) ||
         (n == 8 && StrCaseNCompare(key, "Password", 8) == 0);
}

}  // namespace

void MaskConnPassword(char* conn_string) {
  if (conn_string == nullptr) return;
  // A string may name the password more than once (a DSN's and the
  // application's own); none of them may reach the trace.
  char* item = conn_string;
  while (*item != '\0') {
    char* equals = item;
    while (*equals != '\0' && *equals != '=' && *equals != ';') ++equals;
    if (*equals != '=') {
      item = *equals == ';' ? equals + 1 : equals;
      continue;
    }
    // Only a password's own value is read as quoted: another item's
    // stray quote must not hide the password after it.
    char* end = IsPasswordKey(item, equals) ? ValueEnd(equals + 1) : nullptr;
    if (end != nullptr) {
      for (char* c = equals + 1; c < end; ++c) *c = '*';
    } else {
      end = std::strchr(equals + 1, ';');
      if (end == nullptr) end = equals + 1 + std::strlen(equals + 1);
    }
    item = *end == ';' ? end + 1 : end;
  }
}
