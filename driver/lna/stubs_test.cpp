// Every stub against the procedure table: the request bytes it sends behind
// the header, and what it makes of a reply.
#include <cstring>
#include <functional>
#include <string>

#include "common/memory.h"
#include "common/tls_slot.h"
#include "driver/lna/catalog_stubs.h"
#include "driver/lna/conn_stubs.h"
#include "driver/lna/net_error.h"
#include "driver/lna/option_stubs.h"
#include "driver/lna/rpc_call.h"
#include "driver/lna/stmt_stubs.h"
#include "testing/net_test_support.h"

namespace {

using namespace lna_test;
using testing_peer::ExpectRequest;
using testing_peer::Greet;
using testing_peer::ScriptedPeer;

Bytes U8(uint8_t v) {
  return {v};
}

Bytes ColumnBytes(const std::string& label) {
  return Cat({Be32(10), Be32(4), Be32(0), Be16(4), Be32(10), Be16(0), Be16(1), Str(label),
              Str("name"), Str("tbl"), Str("own"), Str("qual")});
}

Bytes ParamBytes() {
  return Cat({Be16(4), Be32(10), Be16(0), Be16(1)});
}

Bytes DiagBytes(int32_t native) {
  return Cat({Str("42000"), Be32(static_cast<uint32_t>(native)), Str("Syntax error")});
}

// A descriptor with a long value 42.
Bytes DescriptorBytes(uint16_t number) {
  return Cat(
      {Be16(number), Be16(1), Be16(4), Be32(10), Be16(0), Be32(4), Be16(4), Be32(4), Be32(42)});
}

Bytes EmptyList() {
  return Cat({Be16(0), Null()});
}

Bytes OneDescriptorList(uint16_t number) {
  return Cat({Be16(1), Be32(1), DescriptorBytes(number)});
}

Bytes RowBlockBytes() {
  return Cat({Be16(0), Be16(3), Be32(12), Be32(2), Bytes{0xAA, 0xBB}});
}

LnaDescriptor Descriptor(uint16_t number) {
  LnaDescriptor d{};
  d.number = number;
  d.param_type = 1;
  d.sql_type = 4;
  d.precision = 10;
  d.buffer_size = 4;
  d.value.c_type = kCTypeLong;
  d.value.length = 4;
  d.value.value.i32 = 42;
  return d;
}

void ExpectOneColumn(LnaColumnDesc* columns, uint16_t count, const char* label) {
  ASSERT_EQ(count, 1);
  ASSERT_NE(columns, nullptr);
  EXPECT_STREQ(columns[0].label, label);
  EXPECT_EQ(columns[0].nullable, 1);
}

struct StubCase {
  const char* name;
  uint32_t procedure;
  Bytes request;  // the fields after the header
  int16_t status;
  Bytes reply;  // the fields after the header
  std::function<int16_t(RpcConnection**)> call;
};

class StubTest : public NetTest {
 protected:
  // Runs the stub against a peer that checks its request and answers.
  void Run(const StubCase& c) {
    ScriptedPeer peer({{Greet(), ExpectRequest(RequestBytes(c.procedure, 1, c.request)),
                        testing_peer::Reply(ReplyBytes(c.status, c.reply))}});
    RpcConnection* conn = RpcConnOpen(peer.address().c_str(), nullptr);
    ASSERT_NE(conn, nullptr) << c.name;
    TlsSlotSet(99);
    EXPECT_EQ(c.call(&conn), c.status) << c.name;
    EXPECT_EQ(TlsSlotGet(), 0u) << c.name;  // cleared by the call
    if (conn != nullptr) {
      EXPECT_EQ(conn->error_kind, kRpcErrNone) << c.name;
    }
    EXPECT_TRUE(peer.AllStepsPassed()) << c.name;
    std::vector<Bytes> received = peer.Received(0);
    if (received.size() == 1) {
      EXPECT_EQ(received[0], RequestBytes(c.procedure, 1, c.request)) << c.name;
    }
    RpcConnClose(conn);
  }
};

TEST_F(StubTest, StatementProcedures) {
  const LnaFetchRequest fetch[] = {{1, 100, 0}, {-2, 0, 1}};
  const Bytes fetch_bytes =
      Cat({Be16(2), Be32(2), Be16(1), Be32(100), Be16(0), Be16(0xFFFE), Be32(0), Be16(1)});
  LnaDescriptor bound = Descriptor(1);
  const LnaDescList bound_list{1, &bound};

  const StubCase cases[] = {
      {"1 alloc stmt", 1, Be32(5), 0, Be32(77),
       [](RpcConnection** c) {
         int32_t id = 0;
         int16_t s = _rpcLnaAllocStmtSP(c, 5, &id);
         EXPECT_EQ(id, 77);
         return s;
       }},
      {"2 fetch block", 2, Cat({Be32(9), U8(1), fetch_bytes}), 0, RowBlockBytes(),
       [&](RpcConnection** c) {
         LnaRowBlock block;
         int16_t s = _rpcLnaFetchBlockSP(c, 9, 1, 2, fetch, &block);
         EXPECT_EQ(block.count, 3);
         EXPECT_EQ(block.data_length, 2u);
         XdrFreeRowBlock(&block);
         return s;
       }},
      {"4 cancel", 4, Be32(9), 0, {}, [](RpcConnection** c) { return _rpcLnaCancelSP(c, 9); }},
      {"13 exec direct", 13,
       Cat({Be32(9), Str("SELECT 1"), EmptyList(), OneDescriptorList(1), U8(0)}), 1,
       Cat({Be32(1), ColumnBytes("one"), Be16(1), Null(), Be16(0), Be32(1), OneDescriptorList(1),
            Be32(5)}),
       [&](RpcConnection** c) {
         LnaColumnDesc* columns;
         LnaParamDesc* params;
         uint16_t column_count, param_count;
         LnaDescList returned;
         int32_t rows;
         int16_t s = _rpcLnaExecDirectMP(c, 9, "SELECT 1", nullptr, &bound_list, 0, &columns,
                                         &column_count, &params, &param_count, &returned, &rows);
         ExpectOneColumn(columns, column_count, "one");
         EXPECT_EQ(params, nullptr);
         EXPECT_EQ(param_count, 0);
         EXPECT_EQ(returned.count, 1);
         EXPECT_EQ(returned.descs[0].value.value.i32, 42);
         EXPECT_EQ(rows, 5);
         MemFree(columns);
         XdrFreeDescList(&returned);
         return s;
       }},
      {"14 execute", 14, Cat({Be32(9), OneDescriptorList(1), EmptyList(), U8(1)}), 0,
       Cat({Null(), Be32(3)}),
       [&](RpcConnection** c) {
         LnaDescList returned;
         int32_t rows;
         int16_t s = _rpcLnaExecuteMP(c, 9, &bound_list, nullptr, 1, &returned, &rows);
         EXPECT_EQ(returned.count, 0);
         EXPECT_EQ(rows, 3);
         return s;
       }},
      {"15 fetch", 15, Cat({Be32(9), U8(0), fetch_bytes}), 0,
       Cat({Be32(7), Be32(3), Bytes{1, 2, 3}}),
       [&](RpcConnection** c) {
         LnaSizedRow row;
         int16_t s = _rpcLnaFetchSP(c, 9, 0, 2, fetch, &row);
         EXPECT_EQ(row.size, 7);
         EXPECT_EQ(row.data_length, 3u);
         XdrFreeSizedRow(&row);
         return s;
       }},
      {"18 free stmt",
       18,
       Cat({Be32(9), Be16(1)}),
       0,
       {},
       [](RpcConnection** c) { return _rpcLnaFreeStmtSP(c, 9, 1); }},
      {"21 get long data", 21, Cat({Be32(9), Be16(2), Be16(0xFFFE), Be32(100), U8(0)}), 0,
       Cat({Be16(0xFFFE), Be32(3), Be32(3), Bytes{7, 8, 9}, Be32(3)}),
       [](RpcConnection** c) {
         LnaTypedValue value;
         int32_t length;
         int16_t s = _rpcLnaGetLongDataSP(c, 9, 2, kCTypeBinary, 100, 0, &value, &length);
         EXPECT_EQ(value.c_type, kCTypeBinary);
         EXPECT_EQ(value.length, 3);
         EXPECT_EQ(value.value.bytes[2], 9);
         EXPECT_EQ(length, 3);
         XdrFreeTypedValue(&value);
         return s;
       }},
      {"24 param data", 24, Be32(9), 0, Be32(2),
       [](RpcConnection** c) {
         int32_t result;
         int16_t s = _rpcLnaParamDataSP(c, 9, &result);
         EXPECT_EQ(result, 2);
         return s;
       }},
      {"25 prepare", 25, Cat({Be32(9), Null(), U8(1)}), 0,
       Cat({Null(), Be16(0), Be32(1), ParamBytes(), Be16(1)}),
       [](RpcConnection** c) {
         LnaColumnDesc* columns;
         LnaParamDesc* params;
         uint16_t column_count, param_count;
         int16_t s =
             _rpcLnaPrepareMP(c, 9, nullptr, 1, &columns, &column_count, &params, &param_count);
         EXPECT_EQ(columns, nullptr);
         EXPECT_EQ(column_count, 0);
         EXPECT_EQ(param_count, 1);
         if (param_count == 1) {
           EXPECT_EQ(params[0].precision, 10);
         }
         MemFree(params);
         return s;
       }},
      {"32 put long data",
       32,
       Cat({Be32(9), Be16(1), Be32(5), Be32(6), Bytes{'h', 'e', 'l', 'l', 'o', 0}, U8(0)}),
       0,
       {},
       [](RpcConnection** c) {
         char text[] = "hello";
         LnaTypedValue value{};
         value.c_type = kCTypeChar;
         value.length = 5;
         value.value.text = text;
         return _rpcLnaPutLongDataSP(c, 9, &value, 0);
       }},
      {"34 set cursor name",
       34,
       Cat({Be32(9), Str("")}),
       0,
       {},
       [](RpcConnection** c) { return _rpcLnaSetCursorNameSP(c, 9, ""); }},
      {"49 exec direct with a row block", 49,
       Cat({Be32(9), Str("SELECT 1"), EmptyList(), EmptyList(), U8(0)}), 0,
       Cat({Null(), Be16(0), Null(), Be16(0), Null(), Be32(0), RowBlockBytes()}),
       [](RpcConnection** c) {
         LnaColumnDesc* columns;
         LnaParamDesc* params;
         uint16_t column_count, param_count;
         LnaDescList returned;
         int32_t rows;
         LnaRowBlock block;
         int16_t s = _rpcLnaExecDirectArrayMP(c, 9, "SELECT 1", nullptr, nullptr, 0, &columns,
                                              &column_count, &params, &param_count, &returned,
                                              &rows, &block);
         EXPECT_EQ(block.count, 3);
         XdrFreeRowBlock(&block);
         return s;
       }},
      {"50 execute with a row block", 50, Cat({Be32(9), EmptyList(), EmptyList(), U8(1)}), 0,
       Cat({Null(), Be32(0), RowBlockBytes()}),
       [](RpcConnection** c) {
         LnaDescList returned;
         int32_t rows;
         LnaRowBlock block;
         int16_t s = _rpcLnaExecuteArrayMP(c, 9, nullptr, nullptr, 1, &returned, &rows, &block);
         EXPECT_EQ(block.data_length, 2u);
         XdrFreeRowBlock(&block);
         return s;
       }},
  };
  for (const StubCase& c : cases) Run(c);
}

TEST_F(StubTest, ConnectionAndOptionProcedures) {
  const StubCase cases[] = {
      {"10 disconnect",
       10,
       Be32(5),
       0,
       {},
       [](RpcConnection** c) {
         int16_t s = _rpcLnaDisconnectSP(c, 5);
         EXPECT_EQ(*c, nullptr);  // closed by the stub
         return s;
       }},
      {"12 get errors", 12, Cat({Be32(5), Be32(9)}), 0, Cat({Be32(1), DiagBytes(207), Be16(1)}),
       [](RpcConnection** c) {
         LnaDiagRecord records[kGetErrorsMaxRecords];
         uint16_t count;
         int16_t s = _rpcLnaGetErrorsSP(c, 5, 9, records, &count);
         EXPECT_EQ(count, 1);
         EXPECT_STREQ(records[0].sqlstate, "42000");
         EXPECT_EQ(records[0].native_error, 207);
         return s;
       }},
      {"19 get connect option", 19, Cat({Be32(5), Be16(109)}), 0,
       Cat({Be32(1), Be16(4), Be32(4), Be32(3)}),
       [](RpcConnection** c) {
         LnaTypedValue value;
         int16_t s = _rpcLnaGetConnectOptionMP(c, {5, 109}, &value);
         EXPECT_EQ(value.c_type, kCTypeLong);
         EXPECT_EQ(value.value.i32, 3);
         return s;
       }},
      {"20 get info", 20, Cat({Be32(5), Be16(17), Be32(256)}), 1,
       Cat({Be32(1), Be16(1), Be32(5), Be32(6), Bytes{'h', 'e', 'l', 'l', 'o', 0}, Be32(5)}),
       [](RpcConnection** c) {
         LnaTypedValue value;
         int32_t full;
         int16_t s = _rpcLnaGetInfoSP(c, {5, 17, 256}, &value, &full);
         EXPECT_EQ(value.c_type, kCTypeChar);
         EXPECT_STREQ(value.value.text, "hello");
         EXPECT_EQ(full, 5);
         XdrFreeTypedValue(&value);
         return s;
       }},
      {"22 get stmt option, no value", 22, Cat({Be32(9), Be16(0)}), 0, Null(),
       [](RpcConnection** c) {
         LnaTypedValue value;
         int16_t s = _rpcLnaGetStmtOptionSP(c, {9, 0}, &value);
         EXPECT_EQ(value.c_type, 0);
         return s;
       }},
      {"33 set connect option",
       33,
       Cat({Be32(5), Be16(102), Be16(4), Be32(4), Be32(1)}),
       0,
       {},
       [](RpcConnection** c) {
         LnaTypedValue value{};
         value.c_type = kCTypeLong;
         value.length = 4;
         value.value.i32 = 1;
         return _rpcLnaSetConnectOptionMP(c, {5, 102, WireValue::Refer(value)});
       }},
      {"35 set stmt option",
       35,
       Cat({Be32(9), Be16(0), Be16(5), Be32(2), Be16(7)}),
       0,
       {},
       [](RpcConnection** c) {
         LnaTypedValue value{};
         value.c_type = kCTypeShort;
         value.length = 2;
         value.value.u16 = 7;
         return _rpcLnaSetStmtOptionSP(c, {9, 0, WireValue::Refer(value)});
       }},
      {"46 transact",
       46,
       Cat({Be32(5), Be16(1)}),
       0,
       {},
       [](RpcConnection** c) { return _rpcLnaTransactSP(c, 5, 1); }},
  };
  for (const StubCase& c : cases) Run(c);
}

TEST_F(StubTest, CatalogProcedures) {
  const Bytes one_column = Cat({Be32(1), ColumnBytes("TABLE_NAME"), Be16(1)});
  const Bytes none = Cat({Null(), Be16(0)});
  auto names = [](std::initializer_list<const char*> list) {
    Bytes out;
    for (const char* n : list) {
      Bytes s = n != nullptr ? Str(n) : Null();
      out.insert(out.end(), s.begin(), s.end());
    }
    return out;
  };
  // Each catalog request, with its own names; `expect` says whether the
  // reply carried one column.
  struct CatalogCase {
    const char* name;
    uint32_t procedure;
    Bytes request;
    Bytes reply;
    CatalogRequest record;
  };
  const CatalogCase cases[] = {
      {"55 column privileges",
       55,
       Cat({Be32(9), names({"q", nullptr, "t", "c"}), U8(0)}),
       one_column,
       {.procedure = 55, .statement = 9, .names = {"q", std::nullopt, "t", "c"}}},
      {"56 columns",
       56,
       Cat({Be32(9), names({nullptr, nullptr, "t", "%"}), U8(1)}),
       none,
       {.procedure = 56,
        .statement = 9,
        .names = {std::nullopt, std::nullopt, "t", "%"},
        .async = 1}},
      {"57 foreign keys",
       57,
       Cat({Be32(9), names({"a", "b", "c", "d", "e", "f"}), U8(0)}),
       one_column,
       {.procedure = 57, .statement = 9, .names = {"a", "b", "c", "d", "e", "f"}}},
      {"58 primary keys",
       58,
       Cat({Be32(9), names({"q", "o", "t"}), U8(0)}),
       none,
       {.procedure = 58, .statement = 9, .names = {"q", "o", "t"}}},
      {"59 procedure columns",
       59,
       Cat({Be32(9), names({"q", "o", "p", "c"}), U8(0)}),
       none,
       {.procedure = 59, .statement = 9, .names = {"q", "o", "p", "c"}}},
      {"60 procedures",
       60,
       Cat({Be32(9), names({"q", "o", "p"}), U8(0)}),
       none,
       {.procedure = 60, .statement = 9, .names = {"q", "o", "p"}}},
      {"61 special columns",
       61,
       Cat({Be32(9), Be16(1), names({"q", "o", "t"}), Be16(2), Be16(1), U8(0)}),
       none,
       {.procedure = 61,
        .statement = 9,
        .names = {"q", "o", "t"},
        .column_type = 1,
        .scope = 2,
        .nullable = 1}},
      {"62 statistics",
       62,
       Cat({Be32(9), names({"q", "o", "t"}), Be16(0), Be16(1), U8(0)}),
       none,
       {.procedure = 62, .statement = 9, .names = {"q", "o", "t"}, .unique = 0, .accuracy = 1}},
      {"63 table privileges",
       63,
       Cat({Be32(9), names({"q", "o", "t"}), U8(0)}),
       none,
       {.procedure = 63, .statement = 9, .names = {"q", "o", "t"}}},
      {"64 tables",
       64,
       Cat({Be32(9), names({"q", "o", "t"}), Be32(15), U8(1)}),
       one_column,
       {.procedure = 64, .statement = 9, .names = {"q", "o", "t"}, .table_types = 15, .async = 1}},
  };
  for (const CatalogCase& c : cases) {
    bool has_column = c.reply == one_column;
    Run({c.name, c.procedure, c.request, 0, c.reply, [&](RpcConnection** conn) {
           LnaColumnDesc* columns;
           uint16_t count;
           int16_t s = _rpcLnaCatalogSP(conn, c.record, &columns, &count);
           if (has_column) {
             ExpectOneColumn(columns, count, "TABLE_NAME");
           } else {
             EXPECT_EQ(columns, nullptr);
             EXPECT_EQ(count, 0);
           }
           MemFree(columns);
           return s;
         }});
  }
}

// One call of procedure 1 against a peer that answers `reply`.
int16_t AllocAgainst(const Bytes& reply, int32_t* id, int32_t* kind) {
  ScriptedPeer peer({{Greet(), ExpectRequest(), testing_peer::Reply(reply)}});
  RpcConnection* conn = RpcConnOpen(peer.address().c_str(), nullptr);
  if (conn == nullptr) return 1;
  int16_t status = _rpcLnaAllocStmtSP(&conn, 5, id);
  *kind = conn->error_kind;
  RpcConnClose(conn);
  return status;
}

TEST_F(StubTest, SurplusOrMissingReplyBytesFailWithKindSeven) {
  const Bytes replies[] = {
      ReplyBytes(0, Cat({Be32(77), Be16(0)})),  // two bytes too many
      ReplyBytes(0, Be16(0)),                   // the id cut short
  };
  for (const Bytes& reply : replies) {
    int32_t id = 0, kind = 0;
    EXPECT_EQ(AllocAgainst(reply, &id, &kind), kReplyFailed);
    EXPECT_EQ(kind, kRpcErrUnpack);
    EXPECT_EQ(TlsSlotGet(), kWireErrBadRead);
  }
}

TEST_F(StubTest, FetchRequestsMissingForTheirCountAreNeverSent) {
  // The peer expects nothing: a request reaching it would fail the script.
  ScriptedPeer peer({{Greet()}});
  RpcConnection* conn = RpcConnOpen(peer.address().c_str(), nullptr);
  ASSERT_NE(conn, nullptr);
  LnaRowBlock block;
  LnaSizedRow row;
  EXPECT_EQ(_rpcLnaFetchBlockSP(&conn, 9, 0, 2, nullptr, &block), kReplyFailed);
  EXPECT_EQ(conn->error_kind, kRpcErrPack);
  EXPECT_EQ(TlsSlotGet(), kWireErrCannotGrow);
  EXPECT_EQ(_rpcLnaFetchSP(&conn, 9, 0, 1, nullptr, &row), kReplyFailed);
  EXPECT_EQ(conn->error_kind, kRpcErrPack);
  RpcConnClose(conn);
}

TEST_F(StubTest, AServerErrorStillCarriesItsFields) {
  int32_t id = 0, kind = 0;
  EXPECT_EQ(AllocAgainst(ReplyBytes(-20, Be32(77)), &id, &kind), -20);
  EXPECT_EQ(id, 77);
  EXPECT_EQ(kind, kRpcErrNone);
  EXPECT_EQ(TlsSlotGet(), 0u);  // nothing local to blame
}

TEST_F(StubTest, NoCountExceedsItsArray) {
  struct Case {
    int32_t records;    // records the reply carries
    uint16_t reported;  // the count field after them
    uint16_t expected;  // the count handed out
  };
  const Case diag_cases[] = {{25, 25, 10}, {2, 3, 2}, {3, 1, 1}, {0, 4, 0}};
  for (const Case& c : diag_cases) {
    Bytes records = c.records > 0 ? Be32(static_cast<uint32_t>(c.records)) : Null();
    for (int32_t i = 0; i < c.records; ++i) {
      Bytes d = DiagBytes(i);
      records.insert(records.end(), d.begin(), d.end());
    }
    ScriptedPeer peer({{Greet(), ExpectRequest(),
                        testing_peer::Reply(ReplyBytes(0, Cat({records, Be16(c.reported)})))}});
    RpcConnection* conn = RpcConnOpen(peer.address().c_str(), nullptr);
    ASSERT_NE(conn, nullptr);
    LnaDiagRecord out[kGetErrorsMaxRecords];
    uint16_t count = 99;
    EXPECT_EQ(_rpcLnaGetErrorsSP(&conn, 5, 0, out, &count), 0);
    EXPECT_EQ(count, c.expected) << c.records << " records, count " << c.reported;
    if (count > 0) {
      EXPECT_EQ(out[count - 1].native_error, count - 1);
    }
    RpcConnClose(conn);
  }

  const Case column_cases[] = {{2, 5, 2}, {2, 1, 1}, {0, 3, 0}};
  for (const Case& c : column_cases) {
    Bytes columns = c.records > 0 ? Be32(static_cast<uint32_t>(c.records)) : Null();
    for (int32_t i = 0; i < c.records; ++i) {
      Bytes d = ColumnBytes("c");
      columns.insert(columns.end(), d.begin(), d.end());
    }
    ScriptedPeer peer(
        {{Greet(), ExpectRequest(),
          testing_peer::Reply(ReplyBytes(0, Cat({columns, Be16(c.reported), Null(), Be16(4)})))}});
    RpcConnection* conn = RpcConnOpen(peer.address().c_str(), nullptr);
    ASSERT_NE(conn, nullptr);
    LnaColumnDesc* descs;
    LnaParamDesc* params;
    uint16_t column_count, param_count;
    EXPECT_EQ(_rpcLnaPrepareMP(&conn, 9, "x", 0, &descs, &column_count, &params, &param_count), 0);
    EXPECT_EQ(column_count, c.expected);
    EXPECT_EQ(param_count, 0);  // four announced, none sent
    MemFree(descs);
    RpcConnClose(conn);
  }
}

TEST_F(StubTest, AReplyThatCannotBeUnpackedHandsNothingOut) {
  // Direct execution whose row count is missing after everything else.
  Bytes reply = ReplyBytes(0, Cat({Be32(1), ColumnBytes("one"), Be16(1), Be32(1), ParamBytes(),
                                   Be16(1), Be32(1), OneDescriptorList(1)}));
  ScriptedPeer peer({{Greet(), ExpectRequest(), testing_peer::Reply(reply)}});
  RpcConnection* conn = RpcConnOpen(peer.address().c_str(), nullptr);
  ASSERT_NE(conn, nullptr);
  LnaColumnDesc* columns;
  LnaParamDesc* params;
  uint16_t column_count, param_count;
  LnaDescList returned;
  int32_t rows;
  EXPECT_EQ(_rpcLnaExecDirectMP(&conn, 9, "x", nullptr, nullptr, 0, &columns, &column_count,
                                &params, &param_count, &returned, &rows),
            kReplyFailed);
  EXPECT_EQ(conn->error_kind, kRpcErrUnpack);
  EXPECT_EQ(columns, nullptr);
  EXPECT_EQ(column_count, 0);
  EXPECT_EQ(params, nullptr);
  EXPECT_EQ(returned.descs, nullptr);
  RpcConnClose(conn);
}

TEST_F(StubTest, ANegativeStatusHandsNoValueBack) {
  Bytes reply = ReplyBytes(-19, Cat({Be32(1), Be16(1), Be32(2), Be32(3), Bytes{'o', 'k', 0}}));
  ScriptedPeer peer({{Greet(), ExpectRequest(), testing_peer::Reply(reply)}});
  RpcConnection* conn = RpcConnOpen(peer.address().c_str(), nullptr);
  ASSERT_NE(conn, nullptr);
  LnaTypedValue value;
  EXPECT_EQ(_rpcLnaGetConnectOptionMP(&conn, {5, 1}, &value), -19);
  EXPECT_EQ(value.c_type, 0);
  EXPECT_EQ(value.value.text, nullptr);
  RpcConnClose(conn);
}

}  // namespace
