#include "wire/calls.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "testing/record_wire_check.h"
#include "wire/protocol.h"

namespace {

using wire_test::Be16;
using wire_test::Be32;
using wire_test::BufFrom;
using wire_test::BufPtr;
using wire_test::Bytes;
using wire_test::Cat;
using wire_test::ExpectWire;
using wire_test::NewBuf;
using wire_test::Null;
using wire_test::Str;
using wire_test::Written;

TEST(Calls, RecordsTravelFieldByField) {
  ExpectWire(CancelPendingRequest{0xBEEF}, Be16(0xBEEF), "cancel pending");
  ExpectWire(ShutdownRequest{2}, Be16(2), "shutdown");
  ExpectWire(AllocStmtRequest{0x01020304}, Be32(0x01020304), "alloc request");
  ExpectWire(AllocStmtReply{-1}, Be32(0xFFFFFFFFu), "alloc reply");
  ExpectWire(DisconnectRequest{5}, Be32(5), "disconnect");
  ExpectWire(TransactRequest{5, 1}, Cat({Be32(5), Be16(1)}), "transact");
  ExpectWire(FreeStmtRequest{7, 3}, Cat({Be32(7), Be16(3)}), "free");
  ExpectWire(CancelRequest{7}, Be32(7), "cancel");
  ExpectWire(SetCursorNameRequest{7, WireText("c1")}, Cat({Be32(7), Str("c1")}), "cursor name");
  ExpectWire(SetCursorNameRequest{7, std::nullopt}, Cat({Be32(7), Null()}), "null cursor name");
  ExpectWire(ParamDataRequest{7}, Be32(7), "param data request");
  ExpectWire(ParamDataReply{-1}, Be32(0xFFFFFFFFu), "param data reply");
  ExpectWire(GetErrorsRequest{5, 7}, Cat({Be32(5), Be32(7)}), "errors request");
  ExpectWire(GetInfoRequest{5, 0x1234, -1}, Cat({Be32(5), Be16(0x1234), Be32(0xFFFFFFFFu)}),
             "info");
  ExpectWire(GetOptionRequest{7, 0}, Cat({Be32(7), Be16(0)}), "get option");
  ExpectWire(GetErrorsReply{}, Cat({Null(), Be16(0)}), "no errors");
}

TEST(Calls, DiagnosticsComeBackAsSent) {
  LnaDiagRecord first{};
  std::strcpy(first.sqlstate, "42S02");
  first.native_error = -204;
  std::strcpy(first.text, "no such table");
  LnaDiagRecord second{};
  std::strcpy(second.sqlstate, "01000");
  GetErrorsReply sent{{first, second}, 2};
  BufPtr out = NewBuf();
  ASSERT_EQ(Encode(out.get(), sent), 1);
  out->read_pos = 0;
  GetErrorsReply got;
  ASSERT_EQ(Decode(out.get(), &got), 1);
  ASSERT_EQ(got.records.size(), 2u);
  EXPECT_STREQ(got.records[0].sqlstate, "42S02");
  EXPECT_EQ(got.records[0].native_error, -204);
  EXPECT_STREQ(got.records[0].text, "no such table");
  EXPECT_STREQ(got.records[1].sqlstate, "01000");
  EXPECT_EQ(got.count, 2);
}

TEST(Calls, ShortRequestsDoNotDecode) {
  struct Case {
    const char* name;
    Bytes wire;
    std::function<int(MsgBuf*)> decode;
  };
  const Case cases[] = {
      {"free without its option", Be32(7),
       [](MsgBuf* b) {
         FreeStmtRequest r;
         return Decode(b, &r);
       }},
      {"cursor name cut", Cat({Be32(7), Be32(5), Bytes{'a', 'b'}}),
       [](MsgBuf* b) {
         SetCursorNameRequest r;
         return Decode(b, &r);
       }},
      {"info without its buffer size", Cat({Be32(5), Be16(1), Bytes{0, 0}}),
       [](MsgBuf* b) {
         GetInfoRequest r;
         return Decode(b, &r);
       }},
      {"option without its number", Cat({Be32(7), Bytes{0}}),
       [](MsgBuf* b) {
         GetOptionRequest r;
         return Decode(b, &r);
       }},
      {"errors without the statement", Be32(5),
       [](MsgBuf* b) {
         GetErrorsRequest r;
         return Decode(b, &r);
       }},
      {"errors reply with more records than bytes", Cat({Be32(3), Bytes(10, 0)}),
       [](MsgBuf* b) {
         GetErrorsReply r;
         return Decode(b, &r);
       }},
  };
  for (const Case& c : cases) {
    BufPtr in = BufFrom(c.wire);
    EXPECT_EQ(c.decode(in.get()), 0) << c.name;
  }
}

CatalogRequest CatalogOf(uint32_t procedure, std::vector<WireText> names) {
  CatalogRequest request;
  request.procedure = procedure;
  request.statement = 9;
  request.names = std::move(names);
  request.async = 1;
  return request;
}

// The procedure travels in the frame header: a decode is told it first.
void ExpectCatalogWire(const CatalogRequest& request, const Bytes& wire, const char* name) {
  CatalogRequest blank;
  blank.procedure = request.procedure;
  ExpectWire(request, wire, name, blank);
}

TEST(Calls, CatalogArgumentsFollowTheProcedure) {
  const Bytes async = Bytes{1};
  ExpectCatalogWire(
      CatalogOf(kRpcColumns, {WireText("q"), std::nullopt, WireText("t"), WireText("%")}),
      Cat({Be32(9), Str("q"), Null(), Str("t"), Str("%"), async}), "columns");
  CatalogRequest keys = CatalogOf(kRpcForeignKeys, {WireText("a"), std::nullopt, WireText("c"),
                                                    std::nullopt, WireText("e"), WireText("f")});
  ExpectCatalogWire(keys,
                    Cat({Be32(9), Str("a"), Null(), Str("c"), Null(), Str("e"), Str("f"), async}),
                    "foreign keys");
  CatalogRequest special =
      CatalogOf(kRpcSpecialColumns, {WireText("q"), WireText("o"), WireText("t")});
  special.column_type = 1;
  special.scope = 2;
  special.nullable = 1;
  ExpectCatalogWire(special,
                    Cat({Be32(9), Be16(1), Str("q"), Str("o"), Str("t"), Be16(2), Be16(1), async}),
                    "special columns");
  CatalogRequest statistics =
      CatalogOf(kRpcStatistics, {WireText("q"), WireText("o"), WireText("t")});
  statistics.unique = 0;
  statistics.accuracy = 1;
  ExpectCatalogWire(statistics,
                    Cat({Be32(9), Str("q"), Str("o"), Str("t"), Be16(0), Be16(1), async}),
                    "statistics");
  CatalogRequest tables = CatalogOf(kRpcTables, {std::nullopt, std::nullopt, WireText("t")});
  tables.table_types = 0x8000000Fu;
  ExpectCatalogWire(tables, Cat({Be32(9), Null(), Null(), Str("t"), Be32(0x8000000Fu), async}),
                    "tables");
  ExpectCatalogWire(CatalogOf(kRpcProcedures, {WireText("q"), WireText("o"), WireText("p")}),
                    Cat({Be32(9), Str("q"), Str("o"), Str("p"), async}), "procedures");
}

TEST(Calls, CatalogRequestsOutOfShapeAreRefused) {
  struct Case {
    const char* name;
    uint32_t procedure;
    Bytes wire;
  };
  const Case cases[] = {
      {"tables without the async byte", kRpcTables,
       Cat({Be32(9), Null(), Null(), Str("t"), Be32(0)})},
      {"statistics without its accuracy", kRpcStatistics,
       Cat({Be32(9), Null(), Null(), Str("t"), Be16(0)})},
      {"columns with three names", kRpcColumns, Cat({Be32(9), Null(), Null(), Str("t"), Bytes{0}})},
      {"not a catalog procedure", kRpcPrepare, Cat({Be32(9), Null(), Null(), Str("t"), Bytes{0}})},
  };
  for (const Case& c : cases) {
    BufPtr in = BufFrom(c.wire);
    CatalogRequest request;
    request.procedure = c.procedure;
    EXPECT_EQ(Decode(in.get(), &request), 0) << c.name;
  }
  BufPtr out = NewBuf();
  EXPECT_EQ(Encode(out.get(), CatalogOf(kRpcTables, {WireText("t")})), 0) << "one name of three";
  EXPECT_EQ(Encode(out.get(), CatalogOf(kRpcPrepare, {})), 0) << "not a catalog procedure";
}

}  // namespace
