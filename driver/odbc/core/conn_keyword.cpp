#include "driver/odbc/core/conn_keyword.h"

#include "driver/odbc/core/drv_conn.h"

const ConnKeyword kDefaultConnKeywords[kDefaultKeywordCount] = {
    {"DSN", 0, 0, kKeywordSelector, {}, nullptr, 0},
    {"DRIVER", 0, 0, kKeywordSelector, {}, nullptr, 0},
    {"ServerName", 20001, 0, kKeywordRequired, {}, nullptr, 0},
    {"ServerDSN", 20002, 0, kKeywordOptional, {}, nullptr, 0},
    {"UID", 20003, 0, kKeywordOptional, {}, nullptr, 0},
    {"PWD", 20004, 0, kKeywordOptional, {}, nullptr, 0},
    {"ArrayFetchOn", 20006, 0, kKeywordOptional, {}, nullptr, 0},
    {"ArrayBufferSize", 20007, 0, kKeywordOptional, {}, nullptr, 0},
    {"AsyncEnable", 20008, 0, kKeywordOptional, {}, nullptr, 0},
    {"DMAccess", 0, 0, kKeywordOptional, {}, nullptr, 0},
    // Read by the call layer from the login string; a connection string's
    // value wins over the data source's like any other keyword's.
    {"LoginTimeout", 0, 0, kKeywordOptional | kKeywordUnlisted, {}, nullptr, 0},
};

void ClearConnectKeywords(DrvConn* connection) {
  if (connection == nullptr || connection->keywords == nullptr) return;
  for (uint32_t i = 0; i < connection->keyword_count; ++i) {
    connection->keywords[i].set = 0;
    connection->keywords[i].value[0] = '\0';
  }
}
