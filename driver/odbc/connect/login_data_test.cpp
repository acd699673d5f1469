// What a connection keeps of a login reply.
#include "driver/odbc/connect/login_data.h"

#include <gtest/gtest.h>
#include <sqlext.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/odbc/connect/conn_string.h"
#include "driver/odbc/connect/drv_connect.h"
#include "driver/odbc/core/conn_keyword.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/server_types.h"
#include "testing/conn_test_support.h"

namespace {

LnaTypeInfo Type(const char* name, int16_t sql_type, int32_t precision) {
  LnaTypeInfo t{};
  std::strcpy(t.type_name, name);
  t.sql_type = sql_type;
  t.precision = precision;
  t.nullable = 1;
  t.searchable = 3;
  t.unsigned_attribute = -1;
  t.auto_increment = -1;
  return t;
}

TEST(LoginDataTest, MissingBaseTypesAreAddedAfterTheServers) {
  ConnFixture f;
  LnaTypeInfo types[] = {Type("INTEGER", SQL_INTEGER, 10), Type("VARCHAR", SQL_VARCHAR, 255),
                         Type("TEXT", SQL_LONGVARCHAR, 65535)};
  types[0].unsigned_attribute = 0;
  types[0].auto_increment = 1;
  types[0].money = 1;
  std::strcpy(types[1].literal_prefix, "'");
  types[2].nullable = 2;
  types[2].searchable = 1;
  types[2].case_sensitive = 1;
  LnaTableType tables[2] = {};
  std::strcpy(tables[0].name, "TABLE");
  tables[0].bit = 1;
  std::strcpy(tables[1].name, "VIEW");
  tables[1].bit = 2;
  EXPECT_EQ(CountMissingBaseTypes(types, 3), 2u);
  ASSERT_EQ(StoreLoginTypes(f.conn(), types, 3, tables, 2), 0);
  DrvConn* c = f.conn();
  ASSERT_EQ(c->type_count, 5u);
  EXPECT_EQ(c->server_type_count, 3u);

  struct Want {
    int16_t sql_type;
    const char* name;
    uint32_t flags;
    uint32_t size;
    uint32_t precision;
    int16_t pair[4];
  };
  const Want want[] = {
      {SQL_INTEGER,
       "INTEGER",
       kTypeNullable | kTypeNullabilityKnown | kTypeSearchableLike | kTypeSearchableOther |
           kTypeSigned | kTypeMoney | kTypeAutoIncrement,
       10,
       10,
       {SQL_INTEGER, SQL_C_LONG, SQL_INTEGER, SQL_C_LONG}},
      {SQL_VARCHAR,
       "VARCHAR",
       kTypeNullable | kTypeNullabilityKnown | kTypeSearchableLike | kTypeSearchableOther,
       255,
       255,
       {SQL_VARCHAR, SQL_C_CHAR, SQL_VARCHAR, SQL_C_CHAR}},
      {SQL_LONGVARCHAR,
       "TEXT",
       kTypeCaseSensitive | kTypeSearchableLike,
       65535,
       65535,
       {SQL_LONGVARCHAR, SQL_C_CHAR, SQL_LONGVARCHAR, SQL_C_CHAR}},
      {SQL_CHAR, nullptr, 0, 256, 256, {SQL_CHAR, SQL_C_CHAR, 0, SQL_C_CHAR}},
      {SQL_SMALLINT, nullptr, 0, 2, 5, {SQL_SMALLINT, SQL_C_SHORT, 0, SQL_C_SHORT}},
  };
  for (uint32_t i = 0; i < 5; ++i) {
    const TypeDescriptor& d = c->type_descs[i];
    EXPECT_EQ(d.sql_type, want[i].sql_type) << i;
    if (want[i].name == nullptr) {
      EXPECT_EQ(d.type_name, nullptr) << i;
    } else {
      EXPECT_STREQ(d.type_name, want[i].name) << i;
    }
    EXPECT_EQ(d.flags, want[i].flags) << i;
    EXPECT_EQ(d.column_size, want[i].size) << i;
    EXPECT_EQ(d.precision, want[i].precision) << i;
    const TypePair& p = c->type_pairs[i];
    EXPECT_EQ(
        std::vector<int16_t>({static_cast<int16_t>(p.sql_type), static_cast<int16_t>(p.c_type),
                              static_cast<int16_t>(p.sql_type2), static_cast<int16_t>(p.c_type2)}),
        std::vector<int16_t>(want[i].pair, want[i].pair + 4))
        << i;
  }
  EXPECT_STREQ(c->type_descs[1].literal_prefix, "'");
  EXPECT_EQ(c->type_descs[1].literal_suffix, nullptr);
  ASSERT_EQ(c->table_type_count, 2u);
  EXPECT_STREQ(c->table_types[1].name, "VIEW");
  EXPECT_EQ(c->table_types[1].mask, 2u);

  DropLoginTypes(c);
  EXPECT_EQ(c->type_count, 0u);
  EXPECT_EQ(c->pool_id, 0);
}

TEST(LoginDataTest, OptionsAndThePacketSize) {
  struct Case {
    const char* connect;  // keywords given
    uint32_t want_packet;
  };
  const Case cases[] = {
      {"", 4096},
      {"ArrayBufferSize=16", 16384},
      {"ArrayBufferSize=lots", 0},
  };
  for (const Case& c : cases) {
    ConnFixture f;
    ASSERT_EQ(ParseConnectAttributes(f.conn(), c.connect), 0);
    LnaConnectResult result{};
    result.access_mode = 1;
    result.autocommit = 0;
    std::strcpy(result.qualifier, "main");
    result.login_timeout = 15;
    result.packet_size = 4096;
    result.txn_isolation = 8;
    LnaLoginInfo52 defaults{};
    for (uint32_t i = 0; i < 13; ++i) defaults.values[i] = 100 + i;
    StoreLoginOptions(f.conn(), result, defaults);
    DrvConn* conn = f.conn();
    EXPECT_EQ(conn->packet_size, c.want_packet) << c.connect;
    EXPECT_EQ(conn->access_mode, 1u);
    EXPECT_EQ(conn->autocommit, 0u);
    EXPECT_STREQ(conn->qualifier, "main");
    EXPECT_EQ(conn->login_timeout, 15u);
    EXPECT_EQ(conn->txn_isolation, 8u);
    const uint32_t slots[16] = {107, 105, 104, 0,   106, 100, 0, 101,
                                109, 103, 102, 108, 110, 111, 0, 0};
    for (uint32_t s = 0; s < 16; ++s) EXPECT_EQ(conn->stmt_defaults.slot[s], slots[s]) << s;
    EXPECT_EQ(conn->stmt_option_mask, 112u);
  }
}

TEST(LoginDataTest, ReplyKeywordsAreAddedAndDroppedAgain) {
  ConnFixture f;
  ASSERT_EQ(ParseConnectAttributes(f.conn(), "DSN=x"), 0);
  EXPECT_EQ(DrvPostLogin(f.conn(), "Foo=bar;DSN=y;dsn=z;Database=main"), 0);
  EXPECT_EQ(f.conn()->keyword_count, kDefaultKeywordCount + 2);
  EXPECT_EQ(f.Value("Foo"), "bar");
  EXPECT_EQ(f.Value("Database"), "main");
  EXPECT_EQ(f.Value("DSN"), "x");
  char out[128];
  int32_t length = 0;
  BuildConnectString(f.conn(), out, sizeof out, &length, 0);
  EXPECT_STREQ(out, "DSN=x;Foo=bar;Database=main;");

  DropAddedKeywords(f.conn());
  EXPECT_EQ(f.conn()->keyword_count, kDefaultKeywordCount);
  EXPECT_EQ(f.Value("Foo"), "<absent>");

  EXPECT_EQ(DrvPostLogin(f.conn(), "Bad"), -1);
  EXPECT_EQ(f.States(), std::vector<std::string>{"08004"});
  EXPECT_EQ(DrvPostLogin(f.conn(), ("Foo=" + std::string(513, 'v')).c_str()), -1);
  EXPECT_EQ(f.States(), std::vector<std::string>{"08004"});
}

}  // namespace
