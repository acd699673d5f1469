#include "driver/odbc/catalog/table_types.h"

#include <strings.h>

#include <cstring>
#include <string>

#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/server_types.h"
#include "driver/odbc/statement/text_helpers.h"

namespace {

constexpr char kBlanks[] = " \t";

}  // namespace

int32_t LookupTableType(const DrvConn* connection, const char* name, uint32_t* bit) {
  if (connection->table_types == nullptr) return -1;
  for (uint32_t i = 0; i < connection->table_type_count; ++i) {
    const TableTypeEntry& entry = connection->table_types[i];
    const char* known = entry.name != nullptr ? entry.name : "";
    if (strcasecmp(known, name) == 0) {
      *bit = entry.mask;
      return 0;
    }
  }
  return -1;
}

int32_t ParseTableTypes(const DrvConn* connection, const char* list, uint32_t* mask) {
  if (list == nullptr) {
    *mask = 0;
    return 0;
  }
  // Trimming works in place: never on the application's own buffer.
  std::string text(list);
  char* rest = TrimSet(text.data(), kBlanks);
  uint32_t bits = 0;
  bool known = false;
  char* save = nullptr;
  for (char* token = strtok_r(rest, ",", &save); token != nullptr;
       token = strtok_r(nullptr, ",", &save)) {
    token = TrimSet(token, kBlanks);
    size_t length = std::char_traits<char>::length(token);
    if (length > 0 && token[0] == '\'' && token[length - 1] == '\'') {
      if (length == 2) continue;  // an empty quoted name
      token = TrimSet(token, "'");
    }
    uint32_t bit = 0;
    if (LookupTableType(connection, token, &bit) == 0) {
      bits |= bit;
      known = true;
    }
  }
  if (!known) return -1;
  *mask = bits;
  return 0;
}
