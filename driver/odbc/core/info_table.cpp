#include "driver/odbc/core/info_table.h"

#include <sqlext.h>

#include <array>
#include <cstddef>

#include "driver/odbc/core/drv_conn.h"

namespace {

// The information types each login record answers, in record order; 0xFFFF
// marks a value that answers none.
constexpr uint16_t kNone = 0xFFFF;
constexpr uint16_t kServerTexts[] = {20, 19,  87, 17, 18, 25, 14, 27, 73, 29, 89, 113, 103, 37,
                                     36, 111, 90, 38, 39, 21, 40, 41, 42, 11, 13, 94,  45};
constexpr uint16_t kLongs[] = {86, 82, 26, 8,  81, 78, 112, 108, 102, 104, 105, 106, kNone,
                               91, 79, 80, 92, 43, 44, 83,  95,  109, 110, 72,  96};
constexpr uint16_t kShorts[] = {9,  22, 74, 23,  24, 88, 28, 30, 97,  98, 99, 100, 101, 32,
                                33, 34, 35, 107, 75, 85, 0,  1,  114, 93, 12, 15,  46};
static_assert(std::size(kLongs) == std::size(LnaLoginInfo154{}.longs));
static_assert(std::size(kShorts) == std::size(LnaLoginInfo154{}.shorts));

constexpr size_t kServerTextOffsets[] = {
    offsetof(LnaServerInfo, accessible_procedures),
    offsetof(LnaServerInfo, accessible_tables),
    offsetof(LnaServerInfo, column_alias),
    offsetof(LnaServerInfo, dbms_name),
    offsetof(LnaServerInfo, dbms_ver),
    offsetof(LnaServerInfo, data_source_read_only),
    offsetof(LnaServerInfo, search_pattern_escape),
    offsetof(LnaServerInfo, expressions_in_orderby),
    offsetof(LnaServerInfo, odbc_sql_opt_ief),
    offsetof(LnaServerInfo, identifier_quote_char),
    offsetof(LnaServerInfo, keywords),
    offsetof(LnaServerInfo, like_escape_clause),
    offsetof(LnaServerInfo, max_row_size_includes_long),
    offsetof(LnaServerInfo, multiple_active_txn),
    offsetof(LnaServerInfo, mult_result_sets),
    offsetof(LnaServerInfo, need_long_data_len),
    offsetof(LnaServerInfo, order_by_columns_in_select),
    offsetof(LnaServerInfo, outer_joins),
    offsetof(LnaServerInfo, owner_term),
    offsetof(LnaServerInfo, procedures),
    offsetof(LnaServerInfo, procedure_term),
    offsetof(LnaServerInfo, qualifier_name_separator),
    offsetof(LnaServerInfo, qualifier_term),
    offsetof(LnaServerInfo, row_updates),
    offsetof(LnaServerInfo, server_name),
    offsetof(LnaServerInfo, special_characters),
    offsetof(LnaServerInfo, table_term),
};
static_assert(std::size(kServerTextOffsets) == std::size(kServerTexts));

using Table = std::array<InfoEntry, kInfoTypeCount>;

constexpr void Put(Table& t, uint16_t type, InfoKind kind, InfoSource source, uint16_t index) {
  t[type] = InfoEntry{kind, source, index};
}

constexpr Table MakeTable() {
  Table t{};
  for (uint16_t i = 0; i < std::size(kServerTexts); ++i)
    Put(t, kServerTexts[i], kInfoText, kFromServerText, i);
  for (uint16_t i = 0; i < std::size(kLongs); ++i)
    if (kLongs[i] != kNone) Put(t, kLongs[i], kInfoLong, kFromLoginLong, i);
  for (uint16_t i = 0; i < std::size(kShorts); ++i)
    Put(t, kShorts[i], kInfoShort, kFromLoginShort, i);
  for (uint16_t i = 0; i < 24; ++i)
    Put(t, static_cast<uint16_t>(48 + i), kInfoLong, kFromLoginMask, i);
  Put(t, SQL_DATA_SOURCE_NAME, kInfoText, kFromDsnKeyword, 0);
  Put(t, SQL_DRIVER_NAME, kInfoText, kFromConstant, 0);
  Put(t, SQL_DRIVER_VER, kInfoText, kFromConstant, 0);
  Put(t, SQL_MAX_CURSOR_NAME_LEN, kInfoShort, kFromConstant, 18);
  Put(t, SQL_DRIVER_ODBC_VER, kInfoText, kFromConstant, 0);
  Put(t, SQL_FILE_USAGE, kInfoShort, kFromConstant, 0);
  Put(t, SQL_ODBC_VER, kInfoText, kFromConstant, 0);
  Put(t, SQL_DATABASE_NAME, kInfoText, kFromServer, 0);
  Put(t, SQL_USER_NAME, kInfoText, kFromServer, 0);
  // Handles are pointers here, too wide for the 32 bits they once had.
  Put(t, SQL_DRIVER_HDBC, kInfoHandle, kFromHandle, 0);
  Put(t, SQL_DRIVER_HENV, kInfoHandle, kFromHandle, 0);
  Put(t, SQL_DRIVER_HSTMT, kInfoHandle, kFromHandle, 0);
  Put(t, SQL_DRIVER_HLIB, kInfoHandle, kFromHandle, 0);
  return t;
}

constexpr Table kTable = MakeTable();

}  // namespace

InfoEntry InfoEntryOf(uint16_t info_type) {
  if (info_type < kInfoTypeCount) return kTable[info_type];
  if (info_type == kInfoDriverSpecific) return InfoEntry{kInfoLong, kFromServer, 0};
  return InfoEntry{kInfoNone, kFromNothing, 0};
}

const char* ServerInfoText(const DrvConn* connection, uint16_t index) {
  if (index >= std::size(kServerTextOffsets)) return "";
  return reinterpret_cast<const char*>(&connection->server_info) + kServerTextOffsets[index];
}
