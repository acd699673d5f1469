// The SQLGetInfo types as the two ends carry them: the kind of every ODBC 2
// information type's value (which the information procedure's reply holds
// it in), and the type each field of the login records answers, in wire
// order. The driver answers SQLGetInfo from these fields; the server fills
// them.
#pragma once

#include <sqlext.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "wire/login_records.h"

enum InfoKind : uint16_t {
  kInfoNone = 0,  // no such information type
  kInfoText = 1,
  kInfoShort = 2,
  kInfoLong = 3,
  kInfoHandle = 4,  // a handle of the driver's own, as wide as a pointer
};

// ODBC 2's information types: 0 to 114.
constexpr uint16_t kInfoTypeCount = 115;
// The driver's own information type, a u32 the server gives.
constexpr uint16_t kInfoDriverSpecific = 65003;

// A field of a login record that answers no information type.
constexpr uint16_t kNoInfoType = 0xFFFF;

// The 27 texts of the server information block.
inline constexpr uint16_t kServerInfoTextTypes[] = {
    SQL_ACCESSIBLE_PROCEDURES,
    SQL_ACCESSIBLE_TABLES,
    SQL_COLUMN_ALIAS,
    SQL_DBMS_NAME,
    SQL_DBMS_VER,
    SQL_DATA_SOURCE_READ_ONLY,
    SQL_SEARCH_PATTERN_ESCAPE,
    SQL_EXPRESSIONS_IN_ORDERBY,
    SQL_ODBC_SQL_OPT_IEF,
    SQL_IDENTIFIER_QUOTE_CHAR,
    SQL_KEYWORDS,
    SQL_LIKE_ESCAPE_CLAUSE,
    SQL_MAX_ROW_SIZE_INCLUDES_LONG,
    SQL_MULTIPLE_ACTIVE_TXN,
    SQL_MULT_RESULT_SETS,
    SQL_NEED_LONG_DATA_LEN,
    SQL_ORDER_BY_COLUMNS_IN_SELECT,
    SQL_OUTER_JOINS,
    SQL_OWNER_TERM,
    SQL_PROCEDURES,
    SQL_PROCEDURE_TERM,
    SQL_QUALIFIER_NAME_SEPARATOR,
    SQL_QUALIFIER_TERM,
    SQL_ROW_UPDATES,
    SQL_SERVER_NAME,
    SQL_SPECIAL_CHARACTERS,
    SQL_TABLE_TERM,
};
// The 154-byte record: 25 u32 (the 13th answers none), then 27 u16.
inline constexpr uint16_t kLoginLongTypes[] = {
    SQL_ALTER_TABLE,
    SQL_BOOKMARK_PERSISTENCE,
    SQL_DEFAULT_TXN_ISOLATION,
    SQL_FETCH_DIRECTION,
    SQL_GETDATA_EXTENSIONS,
    SQL_LOCK_TYPES,
    SQL_MAX_BINARY_LITERAL_LEN,
    SQL_MAX_CHAR_LITERAL_LEN,
    SQL_MAX_INDEX_SIZE,
    SQL_MAX_ROW_SIZE,
    SQL_MAX_STATEMENT_LEN,
    SQL_MAX_TABLES_IN_SELECT,
    kNoInfoType,
    SQL_OWNER_USAGE,
    SQL_POS_OPERATIONS,
    SQL_POSITIONED_STATEMENTS,
    SQL_QUALIFIER_USAGE,
    SQL_SCROLL_CONCURRENCY,
    SQL_SCROLL_OPTIONS,
    SQL_STATIC_SENSITIVITY,
    SQL_SUBQUERIES,
    SQL_TIMEDATE_ADD_INTERVALS,
    SQL_TIMEDATE_DIFF_INTERVALS,
    SQL_TXN_ISOLATION_OPTION,
    SQL_UNION,
};
inline constexpr uint16_t kLoginShortTypes[] = {
    SQL_ODBC_API_CONFORMANCE,     SQL_CONCAT_NULL_BEHAVIOR,     SQL_CORRELATION_NAME,
    SQL_CURSOR_COMMIT_BEHAVIOR,   SQL_CURSOR_ROLLBACK_BEHAVIOR, SQL_GROUP_BY,
    SQL_IDENTIFIER_CASE,          SQL_MAX_COLUMN_NAME_LEN,      SQL_MAX_COLUMNS_IN_GROUP_BY,
    SQL_MAX_COLUMNS_IN_INDEX,     SQL_MAX_COLUMNS_IN_ORDER_BY,  SQL_MAX_COLUMNS_IN_SELECT,
    SQL_MAX_COLUMNS_IN_TABLE,     SQL_MAX_OWNER_NAME_LEN,       SQL_MAX_PROCEDURE_NAME_LEN,
    SQL_MAX_QUALIFIER_NAME_LEN,   SQL_MAX_TABLE_NAME_LEN,       SQL_MAX_USER_NAME_LEN,
    SQL_NON_NULLABLE_COLUMNS,     SQL_NULL_COLLATION,           SQL_ACTIVE_CONNECTIONS,
    SQL_ACTIVE_STATEMENTS,        SQL_QUALIFIER_LOCATION,       SQL_QUOTED_IDENTIFIER_CASE,
    SQL_ODBC_SAG_CLI_CONFORMANCE, SQL_ODBC_SQL_CONFORMANCE,     SQL_TXN_CAPABLE,
};
// The 96-byte record: 24 u32, the function and conversion bitmasks, types
// SQL_CONVERT_FUNCTIONS (48) to 71 in order.
constexpr uint16_t kLoginMaskFirstType = SQL_CONVERT_FUNCTIONS;
constexpr uint16_t kLoginMaskCount = 24;

static_assert(std::size(kServerInfoTextTypes) == kServerInfoTextCount);
static_assert(std::size(kLoginLongTypes) == std::size(LnaLoginInfo154{}.longs));
static_assert(std::size(kLoginShortTypes) == std::size(LnaLoginInfo154{}.shorts));
static_assert(kLoginMaskCount == std::size(LnaLoginInfo96{}.masks));

// Types that no login field carries: the driver answers them itself, or
// asks the server each time.
inline constexpr uint16_t kOtherTextTypes[] = {
    SQL_DATA_SOURCE_NAME, SQL_DRIVER_NAME, SQL_DRIVER_VER,      SQL_ODBC_VER,
    SQL_DATABASE_NAME,    SQL_USER_NAME,   SQL_DRIVER_ODBC_VER,
};
inline constexpr uint16_t kOtherShortTypes[] = {SQL_MAX_CURSOR_NAME_LEN, SQL_FILE_USAGE};
inline constexpr uint16_t kHandleTypes[] = {SQL_DRIVER_HDBC, SQL_DRIVER_HENV, SQL_DRIVER_HSTMT,
                                            SQL_DRIVER_HLIB};

namespace info_types_detail {

using KindTable = std::array<InfoKind, kInfoTypeCount>;

template <size_t N>
constexpr void Mark(KindTable& t, const uint16_t (&types)[N], InfoKind kind) {
  for (uint16_t type : types)
    if (type != kNoInfoType) t[type] = kind;
}

constexpr KindTable MakeKinds() {
  KindTable t{};
  Mark(t, kServerInfoTextTypes, kInfoText);
  Mark(t, kOtherTextTypes, kInfoText);
  Mark(t, kLoginShortTypes, kInfoShort);
  Mark(t, kOtherShortTypes, kInfoShort);
  Mark(t, kLoginLongTypes, kInfoLong);
  for (uint16_t i = 0; i < kLoginMaskCount; ++i) t[kLoginMaskFirstType + i] = kInfoLong;
  Mark(t, kHandleTypes, kInfoHandle);
  return t;
}

constexpr KindTable kKinds = MakeKinds();

constexpr bool EveryTypeHasAKind() {
  for (InfoKind kind : kKinds)
    if (kind == kInfoNone) return false;
  return true;
}
static_assert(EveryTypeHasAKind());

}  // namespace info_types_detail

// The kind of an information type; kInfoNone for a type outside ODBC 2's
// other than kInfoDriverSpecific.
constexpr InfoKind InfoKindOf(uint16_t type) {
  if (type == kInfoDriverSpecific) return kInfoLong;
  return type < kInfoTypeCount ? info_types_detail::kKinds[type] : kInfoNone;
}
