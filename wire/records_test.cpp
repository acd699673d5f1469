// Golden vectors of the flat reply and request records, and the rule that a
// character field takes a string only when it fits with its NUL.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "common/memory.h"
#include "common/tls_slot.h"
#include "testing/wire_test_bytes.h"
#include "wire/column_desc.h"
#include "wire/diag_record.h"
#include "wire/fetch_request.h"
#include "wire/login_records.h"
#include "wire/pair_list.h"
#include "wire/row_reply.h"
#include "wire/table_type.h"
#include "wire/type_info.h"
#include "wire/user_list.h"

namespace {

using namespace wire_test;

template <typename T>
T Zeroed() {
  T r;
  std::memset(&r, 0, sizeof(r));
  return r;
}

// For records without pointers: packing gives the wire image, unpacking the
// image into a zeroed record gives the record back byte for byte.
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

TEST(ColumnDesc, BothWays) {
  auto c = Zeroed<LnaColumnDesc>();
  c.display_size = 11;
  c.length = 4;
  c.attributes = 0x0102;
  c.sql_type = -5;
  c.precision = 19;
  c.scale = 2;
  c.nullable = 1;
  std::strcpy(c.label, "Total");
  std::strcpy(c.name, "total");
  std::strcpy(c.table, "orders");
  c.owner[0] = '\0';
  std::strcpy(c.qualifier, "shop");
  Bytes wire = Cat({{0, 0, 0, 11},
                    {0, 0, 0, 4},
                    {0, 0, 1, 2},
                    {0xFF, 0xFB},
                    {0, 0, 0, 19},
                    {0, 2},
                    {0, 1},
                    Str("Total"),
                    Str("total"),
                    Str("orders"),
                    Str(""),
                    Str("shop")});
  ExpectBothWays(c, wire, XdrPutColumnDesc, XdrColumnDesc);
}

// The catalog procedures' reply, and the count it hands out.
TEST(ColumnDescList, ArrayThenItsCount) {
  LnaColumnDesc columns[2];
  for (LnaColumnDesc& c : columns) {
    c = Zeroed<LnaColumnDesc>();
    c.display_size = 10;
    c.nullable = 1;
  }
  std::strcpy(columns[0].label, "a");
  std::strcpy(columns[1].label, "b");
  auto column = [](const char* label) {
    return Cat({Be32(10), Be32(0), Be32(0), Be16(0), Be32(0), Be16(0), Be16(1), Str(label), Str(""),
                Str(""), Str(""), Str("")});
  };
  const Bytes wire = Cat({Be32(2), column("a"), column("b"), Be16(2)});
  BufPtr out = NewBuf();
  ASSERT_EQ(Encode(out.get(), ColumnDescList{columns, 2}), 1);
  EXPECT_EQ(Written(out.get()), wire);
  BufPtr none = NewBuf();
  ASSERT_EQ(Encode(none.get(), ColumnDescList{}), 1);
  EXPECT_EQ(Written(none.get()), Cat({Null(), Be16(0)}));

  struct Case {
    const char* name;
    Bytes wire;
    int ok;
    uint16_t count;
  };
  const Case cases[] = {
      {"two", wire, 1, 2},
      {"a count beyond the array", Cat({Be32(1), column("a"), Be16(5)}), 1, 1},
      {"none", Cat({Null(), Be16(0)}), 1, 0},
      {"without its count", Cat({Be32(1), column("a")}), 0, 0},
      {"a column cut", Cat({Be32(1), Be32(10), Be32(0)}), 0, 0},
  };
  for (const Case& c : cases) {
    BufPtr in = BufFrom(c.wire);
    ColumnDescList got;
    EXPECT_EQ(Decode(in.get(), &got), c.ok) << c.name;
    EXPECT_EQ(got.count, c.count) << c.name;
    if (c.ok == 0) {
      EXPECT_EQ(got.columns, nullptr) << c.name;
    }
    for (uint16_t i = 0; i < got.count; ++i) EXPECT_EQ(got.columns[i].label[0], 'a' + i) << c.name;
    MemFree(got.columns);
  }
}

TEST(ParamDesc, BothWays) {
  auto p = Zeroed<LnaParamDesc>();
  p.sql_type = 3;
  p.precision = 0x01020304;
  p.scale = 4;
  p.nullable = 1;
  ExpectBothWays(p, {0, 3, 1, 2, 3, 4, 0, 4, 0, 1}, XdrPutColumnState, XdrColumnState);
}

TEST(FetchRequest, BothWays) {
  auto r = Zeroed<LnaFetchRequest>();
  r.c_type = -2;
  r.length = 100;
  r.long_column = 1;
  ExpectBothWays(r, {0xFF, 0xFE, 0, 0, 0, 100, 0, 1}, XdrPutFetchRequest, XdrGetFetchRequest);
}

TEST(DiagRecord, BothWays) {
  auto d = Zeroed<LnaDiagRecord>();
  std::strcpy(d.sqlstate, "42S02");
  d.native_error = -208;
  std::strcpy(d.text, "no such table");
  ExpectBothWays(d, Cat({Str("42S02"), {0xFF, 0xFF, 0xFF, 0x30}, Str("no such table")}),
                 XdrPutDiagRecord, XdrDiagRecord);
}

TEST(TypeInfo, BothWaysInCatalogueOrder) {
  auto t = Zeroed<LnaTypeInfo>();
  std::strcpy(t.type_name, "varchar");
  t.sql_type = 12;
  t.precision = 8000;
  std::strcpy(t.literal_prefix, "'");
  std::strcpy(t.literal_suffix, "'");
  std::strcpy(t.create_params, "max length");
  t.nullable = 1;
  t.case_sensitive = 2;
  t.searchable = 3;
  t.unsigned_attribute = 4;
  t.money = 5;
  t.auto_increment = 6;
  std::strcpy(t.local_type_name, "text");
  t.minimum_scale = 7;
  t.maximum_scale = -1;
  Bytes wire = Cat({Str("varchar"),
                    {0, 12},
                    {0, 0, 0x1F, 0x40},
                    Str("'"),
                    Str("'"),
                    Str("max length"),
                    {0, 1},
                    {0, 2},
                    {0, 3},
                    {0, 4},
                    {0, 5},
                    {0, 6},
                    Str("text"),
                    {0, 7},
                    {0xFF, 0xFF}});
  ExpectBothWays(t, wire, XdrPutTypeInfo, XdrTypeInfo);
}

TEST(TableType, BothWays) {
  auto t = Zeroed<LnaTableType>();
  std::strcpy(t.name, "VIEW");
  t.bit = 4;
  ExpectBothWays(t, Cat({Str("VIEW"), {0, 0, 0, 4}}), XdrPutTableType, XdrTableType);
}

LnaUserRecord User() {
  auto u = Zeroed<LnaUserRecord>();
  std::strcpy(u.text1, "alice");
  std::strcpy(u.text2, "pc-17");
  std::strcpy(u.text3, "reports");
  std::strcpy(u.text4, "10.0.0.7");
  std::strcpy(u.text5, "odbc");
  u.word = 3;
  u.number[0] = 1;
  u.number[1] = -1;
  u.number[2] = 0x7F000000;
  u.number[3] = 9;
  return u;
}

const Bytes kUserWire = Cat({Str("alice"),
                             Str("pc-17"),
                             Str("reports"),
                             Str("10.0.0.7"),
                             Str("odbc"),
                             {0, 3},
                             {0, 0, 0, 1},
                             {0xFF, 0xFF, 0xFF, 0xFF},
                             {0x7F, 0, 0, 0},
                             {0, 0, 0, 9}});

TEST(UserRecord, BothWays) {
  ExpectBothWays(User(), kUserWire, XdrPutUserRecord, XdrUserRecord);
}

TEST(UserList, BothWaysAndCountChecked) {
  LnaUserRecord users[] = {User(), User()};
  LnaUserList list{2, users};
  Bytes wire = Cat({{0, 2}, {0, 0, 0, 2}, kUserWire, kUserWire});
  BufPtr out = NewBuf();
  ASSERT_EQ(XdrPutUserList(out.get(), &list), 1);
  EXPECT_EQ(Written(out.get()), wire);

  BufPtr in = BufFrom(wire);
  LnaUserList got;
  ASSERT_EQ(XdrUserList(in.get(), &got), 1);
  EXPECT_EQ(MsgBufAllRead(in.get()), 1);
  ASSERT_EQ(got.count, 2);
  EXPECT_EQ(std::memcmp(&got.users[1], &users[1], sizeof(LnaUserRecord)), 0);
  XdrFreeUserList(&got);

  BufPtr lying = BufFrom(Cat({{0, 3}, {0, 0, 0, 2}, kUserWire, kUserWire}));
  TlsSlotSet(0);
  EXPECT_EQ(XdrUserList(lying.get(), &got), 0);
  EXPECT_EQ(TlsSlotGet(), kWireErrBadRead);
  EXPECT_EQ(got.users, nullptr);
}

TEST(PairList, TheEndConnectionsRequestElement) {
  LnaPair pairs[] = {{7, 8}, {-1, 0x01020304}};
  struct {
    const char* name;
    LnaPairList list;
    Bytes wire;  // the list as a one-element array, as the request sends it
  } cases[] = {
      {"no pairs", {0, nullptr}, {0, 0, 0, 1, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"two pairs",
       {2, pairs},
       Cat({{0, 0, 0, 1, 0, 2, 0, 0, 0, 2},
            {0, 0, 0, 7, 0, 0, 0, 8},
            {0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4}})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BufPtr out = NewBuf();
    ASSERT_EQ(
        MsgBufPutArray(out.get(), &c.list, MsgBufPutElem<XdrPutPairArray>, sizeof(LnaPairList), 1),
        1);
    EXPECT_EQ(Written(out.get()), c.wire);

    BufPtr in = BufFrom(c.wire);
    void* got = nullptr;
    uint32_t n = 0;
    ASSERT_EQ(MsgBufGetArray(in.get(), &got, MsgBufGetElem<XdrGetPairArray>, sizeof(LnaPairList),
                             &n, MsgBufRelease<XdrFreePairList>),
              1);
    ASSERT_EQ(n, 1u);
    auto* list = static_cast<LnaPairList*>(got);
    ASSERT_EQ(list->count, c.list.count);
    for (uint16_t i = 0; i < list->count; ++i) {
      EXPECT_EQ(list->pairs[i].first, c.list.pairs[i].first);
      EXPECT_EQ(list->pairs[i].second, c.list.pairs[i].second);
    }
    MsgBufFreeArray(got, sizeof(LnaPairList), MsgBufRelease<XdrFreePairList>);
  }
}

TEST(RowReply, BlockAndSingleRowBothWays) {
  uint8_t data[] = {1, 2, 3, 4, 5};
  struct {
    const char* name;
    LnaRowBlock block;
    Bytes wire;
  } blocks[] = {
      {"last block",
       {-16, 3, 5, data, 5},
       {0xFF, 0xF0, 0, 3, 0, 0, 0, 5, 0, 0, 0, 5, 1, 2, 3, 4, 5}},
      {"no bytes",
       {0, 0, 0x11223344, nullptr, 0},
       {0, 0, 0, 0, 0x11, 0x22, 0x33, 0x44, 0xFF, 0xFF, 0xFF, 0xFF}},
  };
  for (const auto& c : blocks) {
    SCOPED_TRACE(c.name);
    BufPtr out = NewBuf();
    ASSERT_EQ(XdrPutRowBlock(out.get(), &c.block), 1);
    EXPECT_EQ(Written(out.get()), c.wire);

    BufPtr in = BufFrom(c.wire);
    LnaRowBlock got;
    ASSERT_EQ(XdrRowBlock(in.get(), &got), 1);
    EXPECT_EQ(MsgBufAllRead(in.get()), 1);
    EXPECT_EQ(got.status, c.block.status);
    EXPECT_EQ(got.count, c.block.count);
    EXPECT_EQ(got.byte_count, c.block.byte_count);
    ASSERT_EQ(got.data_length, c.block.data_length);
    if (got.data_length > 0) {
      EXPECT_EQ(std::memcmp(got.bytes, data, got.data_length), 0);
    }
    XdrFreeRowBlock(&got);
  }

  LnaSizedRow row{8, data, 2};
  Bytes wire = {0, 0, 0, 8, 0, 0, 0, 2, 1, 2};
  BufPtr out = NewBuf();
  ASSERT_EQ(XdrPutSizedBytes(out.get(), &row), 1);
  EXPECT_EQ(Written(out.get()), wire);
  BufPtr in = BufFrom(wire);
  LnaSizedRow got;
  ASSERT_EQ(XdrSizedBytes(in.get(), &got), 1);
  EXPECT_EQ(got.size, 8);
  ASSERT_EQ(got.data_length, 2u);
  EXPECT_EQ(got.bytes[1], 2);
  XdrFreeSizedRow(&got);
}

TEST(RowReply, ClaimedBytesMustHaveCome) {
  BufPtr in = BufFrom({0, 0, 0, 1, 0, 0, 0, 9, 0, 0, 0, 9, 1, 2, 3});
  LnaRowBlock got;
  TlsSlotSet(0);
  EXPECT_EQ(XdrRowBlock(in.get(), &got), 0);
  EXPECT_EQ(TlsSlotGet(), kWireErrBadRead);
  EXPECT_EQ(got.bytes, nullptr);
}

// One row per character field worth checking: the record's wire image with
// a chosen text in that field (the other fields null), and the codec.
struct FieldCase {
  const char* name;
  size_t capacity;
  std::function<Bytes(const Bytes& text)> wire;
  std::function<int(MsgBuf*, std::string* field)> unpack;
};

template <typename T>
std::function<int(MsgBuf*, std::string*)> Unpack(int (*get)(MsgBuf*, T*), char* (*field)(T*)) {
  return [get, field](MsgBuf* buf, std::string* out) {
    auto* rec = static_cast<T*>(MemAlloc(sizeof(T)));
    int ok = get(buf, rec);
    *out = field(rec);
    MemFree(rec);
    return ok;
  };
}

Bytes Nulls(int n) {
  Bytes out;
  for (int i = 0; i < n; ++i) out = Cat({out, Null()});
  return out;
}

const Bytes kColumnNumbers = {0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 4, 0, 0, 0, 5, 0, 6, 0, 1};

const FieldCase kFields[] = {
    {"column label", 65,
     [](const Bytes& s) {
       return Cat({kColumnNumbers, s, Nulls(4)});
     },
     Unpack<LnaColumnDesc>(XdrColumnDesc, [](LnaColumnDesc* c) { return c->label; })},
    {"column qualifier", 256,
     [](const Bytes& s) {
       return Cat({kColumnNumbers, Nulls(4), s});
     },
     Unpack<LnaColumnDesc>(XdrColumnDesc, [](LnaColumnDesc* c) { return c->qualifier; })},
    {"column table", 34,
     [](const Bytes& s) {
       return Cat({kColumnNumbers, Nulls(2), s, Nulls(2)});
     },
     Unpack<LnaColumnDesc>(XdrColumnDesc, [](LnaColumnDesc* c) { return c->table; })},
    {"SQLSTATE", 6,
     [](const Bytes& s) {
       return Cat({s, {0, 0, 0, 1}, Null()});
     },
     Unpack<LnaDiagRecord>(XdrDiagRecord, [](LnaDiagRecord* d) { return d->sqlstate; })},
    {"diagnostic text", 513,
     [](const Bytes& s) {
       return Cat({Null(), {0, 0, 0, 1}, s});
     },
     Unpack<LnaDiagRecord>(XdrDiagRecord, [](LnaDiagRecord* d) { return d->text; })},
    {"local type name", 128,
     [](const Bytes& s) {
       return Cat({Null(), {0, 1}, {0, 0, 0, 1}, Nulls(3), Bytes(12, 0), s, {0, 0, 0, 0}});
     },
     Unpack<LnaTypeInfo>(XdrTypeInfo, [](LnaTypeInfo* t) { return t->local_type_name; })},
    {"table type name", 128,
     [](const Bytes& s) {
       return Cat({s, {0, 0, 0, 1}});
     },
     Unpack<LnaTableType>(XdrTableType, [](LnaTableType* t) { return t->name; })},
    {"user record's fourth text", 21,
     [](const Bytes& s) {
       return Cat({Nulls(3), s, Null(), {0, 0}, Bytes(16, 0)});
     },
     Unpack<LnaUserRecord>(XdrUserRecord, [](LnaUserRecord* u) { return u->text4; })},
    {"server keywords", 1280,
     [](const Bytes& s) {
       return Cat({Nulls(10), s, Nulls(16)});
     },
     Unpack<LnaServerInfo>(XdrServerInfo, [](LnaServerInfo* i) { return i->keywords; })},
    {"server one-character flag", 2,
     [](const Bytes& s) {
       return Cat({Nulls(23), s, Nulls(3)});
     },
     Unpack<LnaServerInfo>(XdrServerInfo, [](LnaServerInfo* i) { return i->row_updates; })},
    {"current qualifier", 257,
     [](const Bytes& s) {
       return Cat({Bytes(8, 0), s, Bytes(12, 0)});
     },
     Unpack<LnaConnectResult>(XdrConnectResult, [](LnaConnectResult* r) { return r->qualifier; })},
};

TEST(RecordFields, TextFitsOnlyWithItsNul) {
  for (const FieldCase& c : kFields) {
    SCOPED_TRACE(c.name);
    std::string fits(c.capacity - 1, 'x');
    std::string too_long(c.capacity, 'x');
    std::string field;

    BufPtr ok = BufFrom(c.wire(Str(fits)));
    EXPECT_EQ(c.unpack(ok.get(), &field), 1);
    EXPECT_EQ(MsgBufAllRead(ok.get()), 1);
    EXPECT_EQ(field, fits);

    BufPtr bad = BufFrom(c.wire(Str(too_long)));
    TlsSlotSet(0);
    EXPECT_EQ(c.unpack(bad.get(), &field), 0);
    EXPECT_EQ(TlsSlotGet(), kWireErrBadRead);
    EXPECT_EQ(field, "");  // the field was left as the zeroed record had it
  }
}

TEST(RecordFields, NullTextLeavesTheFieldAsItWas) {
  auto c = Zeroed<LnaColumnDesc>();
  std::strcpy(c.label, "kept");
  std::strcpy(c.qualifier, "also kept");
  BufPtr in = BufFrom(Cat({kColumnNumbers, Nulls(5)}));
  ASSERT_EQ(XdrColumnDesc(in.get(), &c), 1);
  EXPECT_STREQ(c.label, "kept");
  EXPECT_STREQ(c.qualifier, "also kept");
}

TEST(RecordFields, AFieldWithoutItsNulIsNotSent) {
  auto d = Zeroed<LnaDiagRecord>();
  std::memcpy(d.sqlstate, "HY0001", 6);
  BufPtr out = NewBuf();
  TlsSlotSet(0);
  EXPECT_EQ(XdrPutDiagRecord(out.get(), &d), 0);
  EXPECT_EQ(TlsSlotGet(), kWireErrCannotGrow);
}

}  // namespace
