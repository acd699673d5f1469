#include "wire/login_records.h"

#include <gtest/gtest.h>

#include <cstring>

#include "testing/wire_test_bytes.h"

namespace {

using namespace wire_test;

template <typename T>
T Zeroed() {
  T r;
  std::memset(&r, 0, sizeof(r));
  return r;
}

template <typename T>
void ExpectBothWays(const T& rec, const Bytes& wire, int (*put)(MsgBuf*, const T*),
                    int (*get)(MsgBuf*, T*)) {
  BufPtr out = NewBuf();
  ASSERT_EQ(put(out.get(), &rec), 1);
  EXPECT_EQ(Written(out.get()), wire);

  BufPtr in = BufFrom(wire);
  T got = Zeroed<T>();
  ASSERT_EQ(get(in.get(), &got), 1);
  EXPECT_EQ(MsgBufAllRead(in.get()), 1);
  EXPECT_EQ(std::memcmp(&got, &rec, sizeof(T)), 0);
}

TEST(ServerInfo, TwentySevenTextsInBlockOrder) {
  auto s = Zeroed<LnaServerInfo>();
  std::strcpy(s.accessible_procedures, "Y");
  std::strcpy(s.accessible_tables, "N");
  std::strcpy(s.column_alias, "Y");
  std::strcpy(s.dbms_name, "SQLite");
  std::strcpy(s.dbms_ver, "03.40.0000");
  std::strcpy(s.data_source_read_only, "N");
  std::strcpy(s.search_pattern_escape, "\\");
  std::strcpy(s.expressions_in_orderby, "Y");
  std::strcpy(s.odbc_sql_opt_ief, "N");
  std::strcpy(s.identifier_quote_char, "\"");
  std::strcpy(s.keywords, "PRAGMA,VACUUM");
  std::strcpy(s.like_escape_clause, "Y");
  std::strcpy(s.max_row_size_includes_long, "N");
  std::strcpy(s.multiple_active_txn, "Y");
  std::strcpy(s.mult_result_sets, "N");
  std::strcpy(s.need_long_data_len, "Y");
  std::strcpy(s.order_by_columns_in_select, "N");
  std::strcpy(s.outer_joins, "Y");
  std::strcpy(s.owner_term, "schema");
  std::strcpy(s.procedures, "N");
  std::strcpy(s.procedure_term, "procedure");
  std::strcpy(s.qualifier_name_separator, ".");
  std::strcpy(s.qualifier_term, "database");
  std::strcpy(s.row_updates, "Y");
  std::strcpy(s.server_name, "db1");
  std::strcpy(s.special_characters, "$#");
  std::strcpy(s.table_term, "table");
  Bytes wire = Cat({Str("Y"),
                    Str("N"),
                    Str("Y"),
                    Str("SQLite"),
                    Str("03.40.0000"),
                    Str("N"),
                    Str("\\"),
                    Str("Y"),
                    Str("N"),
                    Str("\""),
                    Str("PRAGMA,VACUUM"),
                    Str("Y"),
                    Str("N"),
                    Str("Y"),
                    Str("N"),
                    Str("Y"),
                    Str("N"),
                    Str("Y"),
                    Str("schema"),
                    Str("N"),
                    Str("procedure"),
                    Str("."),
                    Str("database"),
                    Str("Y"),
                    Str("db1"),
                    Str("$#"),
                    Str("table")});
  ExpectBothWays(s, wire, XdrPutServerInfo, XdrServerInfo);
}

TEST(LoginInfo, NumberBlocksInOrder) {
  auto r154 = Zeroed<LnaLoginInfo154>();
  Bytes w154;
  for (uint32_t i = 0; i < 25; ++i) {
    r154.longs[i] = 0xA0000000u + i;
    w154 = Cat({w154, {0xA0, 0, 0, uint8_t(i)}});
  }
  for (uint16_t i = 0; i < 27; ++i) {
    r154.shorts[i] = static_cast<uint16_t>(0xB000 + i);
    w154 = Cat({w154, {0xB0, uint8_t(i)}});
  }
  ASSERT_EQ(w154.size(), 154u);
  ExpectBothWays(r154, w154, XdrPutLoginInfo154, XdrLoginInfo154);

  auto r96 = Zeroed<LnaLoginInfo96>();
  Bytes w96;
  for (uint32_t i = 0; i < 24; ++i) {
    r96.masks[i] = 1u << i;
    w96 = Cat({w96, Be32(1u << i)});
  }
  ASSERT_EQ(w96.size(), 96u);
  ExpectBothWays(r96, w96, XdrPutLoginInfo96, XdrLoginInfo96);

  auto r52 = Zeroed<LnaLoginInfo52>();
  Bytes w52;
  for (uint32_t i = 0; i < 13; ++i) {
    r52.values[i] = 100 + i;
    w52 = Cat({w52, {0, 0, 0, uint8_t(100 + i)}});
  }
  ASSERT_EQ(w52.size(), 52u);
  ExpectBothWays(r52, w52, XdrPutLoginInfo52, XdrLoginInfo52);
}

TEST(ConnectResult, BothWays) {
  auto r = Zeroed<LnaConnectResult>();
  r.access_mode = 1;
  r.autocommit = 0x01000000;
  std::strcpy(r.qualifier, "main");
  r.login_timeout = 15;
  r.packet_size = 0x8000;
  r.txn_isolation = 2;
  Bytes wire =
      Cat({{0, 0, 0, 1}, {1, 0, 0, 0}, Str("main"), {0, 0, 0, 15}, {0, 0, 0x80, 0}, {0, 0, 0, 2}});
  ExpectBothWays(r, wire, XdrPutConnectResult, XdrConnectResult);
}

}  // namespace
