#include "driver/odbc/connect/dsn_keywords.h"

#include <odbcinst.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "common/str_util.h"
#include "driver/odbc/core/conn_keyword.h"
#include "platform/registry.h"

namespace {

constexpr char kOdbcIni[] = "ODBC.INI";
constexpr char kOdbcIniKey[] = "Software\\ODBC\\ODBC.INI\\";
constexpr size_t kKeyNameSize = 1024;
constexpr int kExtraValueSize = 256;

int ReadKey(const ConnKeyword& dsn, const char* key, const char* fallback, char* out, int size) {
  return SQLGetPrivateProfileString(dsn.value, key, fallback, out, size, kOdbcIni);
}

ConnKeyword* Find(ConnKeyword* keywords, uint32_t count, const char* name) {
  for (uint32_t k = 0; k < count; ++k)
    if (std::strcmp(keywords[k].name, name) == 0) return &keywords[k];
  return nullptr;
}

}  // namespace

bool NamesDataSource(const ConnKeyword& dsn) {
  return dsn.value[0] != '\0';
}

int32_t ReadDsnKeywords(ConnKeyword* keywords, uint32_t count, uint32_t dsn, uint32_t driver) {
  if (keywords[driver].set || !NamesDataSource(keywords[dsn])) return 0;
  for (uint32_t k = 0; k < count; ++k) {
    if (k == driver || keywords[k].set) continue;
    int n = ReadKey(keywords[dsn], keywords[k].name, "", keywords[k].value, kConnKeywordValueSize);
    if (n > 0) {
      keywords[k].set = 1;
    } else {
      keywords[k].value[0] = '\0';
    }
  }
  return 0;
}

int32_t ReadDsnArrayDefaults(ConnKeyword* keywords, uint32_t count, uint32_t dsn, uint32_t) {
  ConnKeyword* fetch_on = Find(keywords, count, "ArrayFetchOn");
  ConnKeyword* buffer_size = Find(keywords, count, "ArrayBufferSize");
  if (fetch_on == nullptr || fetch_on->set) return 0;
  const bool named = NamesDataSource(keywords[dsn]);
  auto read = [&](ConnKeyword* keyword, const char* fallback) {
    if (named) {
      ReadKey(keywords[dsn], keyword->name, fallback, keyword->value, kConnKeywordValueSize);
    } else {
      std::strcpy(keyword->value, fallback);
    }
    keyword->set = 1;
  };
  read(fetch_on, "1");
  if (buffer_size != nullptr && !buffer_size->set) read(buffer_size, "8");
  return 0;
}

int32_t AppendExtraDsnKeys(const ConnKeyword* keywords, uint32_t count, uint32_t dsn, uint32_t,
                           char* text, size_t size) {
  size_t length = std::strlen(text);
  if (length > 0 && text[length - 1] == ';') text[--length] = '\0';
  if (!NamesDataSource(keywords[dsn])) return 0;
  // The section's keys through the registry layer, which reads such lists
  // once in a while: the installer keeps every list it hands out.
  std::string path = std::string(kOdbcIniKey) + keywords[dsn].value;
  PlatRegKey* section = nullptr;
  if (PlatRegOpenKey(PlatRegRootKey(PlatRegRoot::kCurrentUser), path.c_str(), &section) !=
      kPlatRegOk)
    return 0;
  char key[kKeyNameSize];
  for (uint32_t index = 0;; ++index) {
    uint32_t key_size = sizeof key;
    long rc = PlatRegEnumValue(section, index, key, &key_size);
    if (rc == kPlatRegMoreData) continue;
    if (rc != kPlatRegOk) break;
    bool known = StrCaseCompare(key, "DRIVER") == 0;
    for (uint32_t k = 0; k < count && !known; ++k)
      known = StrCaseCompare(key, keywords[k].name) == 0;
    if (known) continue;
    char value[kExtraValueSize];
    ReadKey(keywords[dsn], key, "", value, sizeof value);
    if (value[0] == '\0') continue;
    const size_t key_length = std::strlen(key);
    const size_t value_length = std::strlen(value);
    const size_t item = 1 + key_length + 1 + value_length;
    if (length + item + 1 > size) continue;
    text[length++] = ';';
    std::memcpy(text + length, key, key_length);
    length += key_length;
    text[length++] = '=';
    std::memcpy(text + length, value, value_length);
    length += value_length;
    text[length] = '\0';
  }
  PlatRegCloseKey(section);
  return 0;
}
