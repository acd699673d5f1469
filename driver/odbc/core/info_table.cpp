#include "driver/odbc/core/info_table.h"

#include <sqlext.h>

#include <array>
#include <cstddef>

#include "driver/odbc/core/drv_conn.h"

namespace {

struct Source {
  InfoSource source;
  uint16_t index;
};

using Table = std::array<Source, kInfoTypeCount>;

constexpr void Put(Table& t, uint16_t type, InfoSource source, uint16_t index) {
  t[type] = Source{source, index};
}

constexpr Table MakeTable() {
  Table t{};
  for (uint16_t i = 0; i < std::size(kServerInfoTextTypes); ++i)
    Put(t, kServerInfoTextTypes[i], kFromServerText, i);
  for (uint16_t i = 0; i < std::size(kLoginLongTypes); ++i)
    if (kLoginLongTypes[i] != kNoInfoType) Put(t, kLoginLongTypes[i], kFromLoginLong, i);
  for (uint16_t i = 0; i < std::size(kLoginShortTypes); ++i)
    Put(t, kLoginShortTypes[i], kFromLoginShort, i);
  for (uint16_t i = 0; i < kLoginMaskCount; ++i)
    Put(t, static_cast<uint16_t>(kLoginMaskFirstType + i), kFromLoginMask, i);
  Put(t, SQL_DATA_SOURCE_NAME, kFromDsnKeyword, 0);
  Put(t, SQL_DRIVER_NAME, kFromConstant, 0);
  Put(t, SQL_DRIVER_VER, kFromConstant, 0);
  Put(t, SQL_MAX_CURSOR_NAME_LEN, kFromConstant, 18);
  Put(t, SQL_DRIVER_ODBC_VER, kFromConstant, 0);
  Put(t, SQL_FILE_USAGE, kFromConstant, 0);
  Put(t, SQL_ODBC_VER, kFromConstant, 0);
  Put(t, SQL_DATABASE_NAME, kFromServer, 0);
  Put(t, SQL_USER_NAME, kFromServer, 0);
  // Handles are pointers here, too wide for the 32 bits they once had.
  Put(t, SQL_DRIVER_HDBC, kFromHandle, 0);
  Put(t, SQL_DRIVER_HENV, kFromHandle, 0);
  Put(t, SQL_DRIVER_HSTMT, kFromHandle, 0);
  Put(t, SQL_DRIVER_HLIB, kFromHandle, 0);
  return t;
}

constexpr Table kTable = MakeTable();

}  // namespace

InfoEntry InfoEntryOf(uint16_t info_type) {
  InfoKind kind = InfoKindOf(info_type);
  if (kind == kInfoNone) return InfoEntry{kInfoNone, kFromNothing, 0};
  if (info_type == kInfoDriverSpecific) return InfoEntry{kind, kFromServer, 0};
  return InfoEntry{kind, kTable[info_type].source, kTable[info_type].index};
}

const char* ServerInfoText(const DrvConn* connection, uint16_t index) {
  if (index >= kServerInfoTextCount) return "";
  return reinterpret_cast<const char*>(&connection->server_info) + kServerInfoFields[index].offset;
}
