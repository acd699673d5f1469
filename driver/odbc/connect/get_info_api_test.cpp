// SQLGetInfo and SQLGetFunctions answered from a connection's login data.
#include "driver/odbc/connect/get_info_api.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/odbc/core/conn_keyword.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/info_table.h"
#include "testing/conn_test_support.h"

namespace {

using States = std::vector<std::string>;

// A connection as a login leaves it, without a server behind it.
class LoggedIn : public ConnFixture {
 public:
  LoggedIn() {
    DrvConn* c = conn();
    c->state = kConnConnected;
    std::strcpy(c->server_info.dbms_name, "SQLite");
    std::strcpy(c->server_info.keywords, "ABORT,ANALYZE");
    std::strcpy(c->server_info.table_term, "table");
    for (uint32_t i = 0; i < 25; ++i) c->info154.longs[i] = 1000 + i;
    for (uint32_t i = 0; i < 27; ++i) c->info154.shorts[i] = static_cast<uint16_t>(200 + i);
    for (uint32_t i = 0; i < 24; ++i) c->info96.masks[i] = 3000 + i;
    std::strcpy(c->keywords[kKeywordDsn].value, "x");
    c->keywords[kKeywordDsn].set = 1;
  }
};

TEST(GetInfoTest, AnswersFromTheLoginAndTheDriver) {
  LoggedIn f;
  struct Case {
    uint16_t type;
    std::string text;  // for text kinds
    uint32_t number;   // for numbers
  };
  const Case cases[] = {
      {SQL_DBMS_NAME, "SQLite", 0},
      {SQL_KEYWORDS, "ABORT,ANALYZE", 0},
      {SQL_TABLE_TERM, "table", 0},
      {SQL_DRIVER_NAME, "velclt32.DLL", 0},
      {SQL_DRIVER_VER, "07.02.0022", 0},
      {SQL_DRIVER_ODBC_VER, "02.00", 0},
      {SQL_DATA_SOURCE_NAME, "x", 0},
      {SQL_MAX_CURSOR_NAME_LEN, "", 18},
      {SQL_FILE_USAGE, "", 0},
      {86, "", 1000},  // the record's first u32
      {26, "", 1002},
      {91, "", 1013},  // after the one that answers nothing
      {96, "", 1024},  // its last u32
      {9, "", 200},    // its first u16
      {SQL_ACTIVE_STATEMENTS, "", 221},
      {46, "", 226},  // its last u16
      {SQL_CONVERT_FUNCTIONS, "", 3000},
      {SQL_CONVERT_LONGVARBINARY, "", 3023},
  };
  for (const Case& c : cases) {
    char buffer[64] = {};
    SQLSMALLINT length = -1;
    SQLRETURN r = SQLGetInfoImpl(f.conn(), c.type, buffer, sizeof buffer, &length);
    EXPECT_EQ(r, SQL_SUCCESS) << c.type;
    switch (InfoEntryOf(c.type).kind) {
      case kInfoText:
        EXPECT_EQ(std::string(buffer), c.text) << c.type;
        EXPECT_EQ(length, static_cast<SQLSMALLINT>(c.text.size())) << c.type;
        break;
      case kInfoShort:
        EXPECT_EQ(*reinterpret_cast<uint16_t*>(buffer), c.number) << c.type;
        EXPECT_EQ(length, 2) << c.type;
        break;
      default:
        EXPECT_EQ(*reinterpret_cast<uint32_t*>(buffer), c.number) << c.type;
        EXPECT_EQ(length, 4) << c.type;
        break;
    }
  }
}

TEST(GetInfoTest, TruncationNullBuffersAndRange) {
  LoggedIn f;
  char buffer[8] = {};
  SQLSMALLINT length = 0;
  EXPECT_EQ(SQLGetInfoImpl(f.conn(), SQL_DRIVER_NAME, buffer, 5, &length), SQL_SUCCESS_WITH_INFO);
  EXPECT_STREQ(buffer, "velc");
  EXPECT_EQ(length, 12);
  EXPECT_EQ(f.States(), States{"01004"});

  EXPECT_EQ(SQLGetInfoImpl(f.conn(), SQL_DBMS_NAME, nullptr, 0, &length), SQL_SUCCESS);
  EXPECT_EQ(length, 6);
  EXPECT_EQ(SQLGetInfoImpl(f.conn(), SQL_MAX_CURSOR_NAME_LEN, nullptr, 2, &length), SQL_SUCCESS);
  EXPECT_EQ(length, 2);

  std::memset(buffer, 0x55, sizeof buffer);
  EXPECT_EQ(SQLGetInfoImpl(f.conn(), SQL_MAX_CURSOR_NAME_LEN, buffer, 1, &length), SQL_ERROR);
  EXPECT_EQ(f.States(), States{"22003"});
  EXPECT_EQ(buffer[0], 0x55);
  EXPECT_EQ(SQLGetInfoImpl(f.conn(), SQL_ACTIVE_CONNECTIONS + 26, buffer, 3, &length), SQL_ERROR);
  EXPECT_EQ(f.States(), States{"22003"});

  EXPECT_EQ(SQLGetInfoImpl(f.conn(), 200, buffer, sizeof buffer, &length), SQL_ERROR);
  EXPECT_EQ(f.States(), States{"S1096"});
}

TEST(GetInfoTest, HandlesArePointerWide) {
  LoggedIn f;
  SQLHDBC got = nullptr;
  SQLSMALLINT length = 0;
  EXPECT_EQ(SQLGetInfoImpl(f.conn(), SQL_DRIVER_HDBC, &got, sizeof got, &length), SQL_SUCCESS);
  EXPECT_EQ(got, static_cast<SQLHDBC>(f.conn()));
  EXPECT_EQ(length, static_cast<SQLSMALLINT>(sizeof got));
  SQLHENV env = nullptr;
  EXPECT_EQ(SQLGetInfoImpl(f.conn(), SQL_DRIVER_HENV, &env, sizeof env, &length), SQL_SUCCESS);
  EXPECT_EQ(env, static_cast<SQLHENV>(f.env()));
  EXPECT_EQ(SQLGetInfoImpl(f.conn(), SQL_DRIVER_HDBC, &got, 4, &length), SQL_ERROR);
}

TEST(GetInfoTest, RefusedWhileNotConnected) {
  ConnFixture f;
  char buffer[16];
  EXPECT_EQ(SQLGetInfoImpl(f.conn(), SQL_DRIVER_NAME, buffer, sizeof buffer, nullptr), SQL_ERROR);
  EXPECT_EQ(f.States(), States{"08003"});
}

TEST(GetFunctionsTest, DriverOwnFunctionsServerFlagsAndWithheldOnes) {
  LoggedIn f;
  uint16_t server[kFunctionTableSize] = {};
  server[SQL_API_SQLPREPARE] = 1;
  server[SQL_API_SQLSETPARAM] = 1;
  server[59] = 1;
  SetFunctionTable(f.conn(), server);
  struct Case {
    uint16_t function;
    SQLUSMALLINT want;
  };
  const Case cases[] = {
      {SQL_API_SQLALLOCSTMT, SQL_TRUE},
      {SQL_API_SQLGETINFO, SQL_TRUE},
      {SQL_API_SQLDRIVERCONNECT, SQL_TRUE},
      {SQL_API_SQLPREPARE, SQL_TRUE},
      {SQL_API_SQLEXECUTE, SQL_FALSE},
      {SQL_API_SQLSETPARAM, SQL_FALSE},
      {59, SQL_FALSE},
      {SQL_API_SQLTABLES, SQL_FALSE},
  };
  for (const Case& c : cases) {
    SQLUSMALLINT exists = 99;
    EXPECT_EQ(SQLGetFunctionsImpl(f.conn(), c.function, &exists), SQL_SUCCESS);
    EXPECT_EQ(exists, c.want) << c.function;
  }
  SQLUSMALLINT all[100];
  EXPECT_EQ(SQLGetFunctionsImpl(f.conn(), SQL_API_ALL_FUNCTIONS, all), SQL_SUCCESS);
  EXPECT_EQ(std::memcmp(all, f.conn()->functions, sizeof all), 0);

  SQLUSMALLINT exists = 0;
  EXPECT_EQ(SQLGetFunctionsImpl(f.conn(), 100, &exists), SQL_ERROR);
  EXPECT_EQ(f.States(), States{"S1095"});
}

}  // namespace
