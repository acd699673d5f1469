#include "wire/statement_calls.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "testing/record_wire_check.h"
#include "testing/wire_test_bytes.h"
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

// Records whose wire images the tests below spell out.
LnaTypedValue Long(int32_t v) {
  LnaTypedValue value{};
  value.c_type = kCTypeLong;
  value.length = 4;
  value.value.i32 = v;
  return value;
}
const Bytes kLongWire = Cat({Be16(4), Be32(4)});  // then the number

LnaTypedValue Text(const char* text) {
  LnaTypedValue value{};
  value.c_type = kCTypeChar;
  value.length = static_cast<int32_t>(std::strlen(text));
  value.value.text = const_cast<char*>(text);
  return value;
}
// A text travels with its NUL.
Bytes TextWire(const char* text) {
  auto n = static_cast<uint32_t>(std::strlen(text));
  Bytes bytes(text, text + n);
  bytes.push_back(0);
  return Cat({Be16(1), Be32(n), Be32(n + 1), bytes});
}

LnaDescriptor Param(uint16_t number, int32_t v) {
  LnaDescriptor d{};
  d.number = number;
  d.param_type = 1;
  d.sql_type = 4;
  d.precision = 10;
  d.scale = 0;
  d.buffer_size = 4;
  d.value = Long(v);
  return d;
}
Bytes ParamWire(uint16_t number, int32_t v) {
  return Cat({Be16(number), Be16(1), Be16(4), Be32(10), Be16(0), Be32(4), kLongWire,
              Be32(static_cast<uint32_t>(v))});
}

LnaColumnDesc Column(const char* name) {
  LnaColumnDesc c{};
  c.display_size = 11;
  c.length = 4;
  c.sql_type = 4;
  c.precision = 10;
  c.nullable = 1;
  std::strcpy(c.label, name);
  std::strcpy(c.name, name);
  std::strcpy(c.table, "t");
  return c;
}
Bytes ColumnWire(const char* name) {
  return Cat({Be32(11), Be32(4), Be32(0), Be16(4), Be32(10), Be16(0), Be16(1), Str(name), Str(name),
              Str("t"), Str(""), Str("")});
}

const LnaParamDesc kMarker{12, 255, 0, 2};
const Bytes kMarkerWire = Cat({Be16(12), Be32(255), Be16(0), Be16(2)});

const Bytes kNoList = Cat({Be16(0), Null()});
const Bytes kAsync = Bytes{1};

TEST(StatementCalls, RequestsTravelFieldByField) {
  ExpectWire(PrepareRequest{7, WireText("select 1"), 1}, Cat({Be32(7), Str("select 1"), kAsync}),
             "prepare");
  ExpectWire(PrepareRequest{7, std::nullopt, 0}, Cat({Be32(7), Null(), Bytes{0}}),
             "prepare without text");

  LnaDescriptor params[] = {Param(1, 5), Param(2, -1)};
  LnaDescriptor bound[] = {Param(3, 0)};
  const Bytes params_wire = Cat({Be16(2), Be32(2), ParamWire(1, 5), ParamWire(2, -1)});
  const Bytes bound_wire = Cat({Be16(1), Be32(1), ParamWire(3, 0)});
  ExpectWire(ExecDirectRequest{7, WireText("insert"), {2, params}, {1, bound}, 1},
             Cat({Be32(7), Str("insert"), params_wire, bound_wire, kAsync}), "exec direct");
  ExpectWire(ExecDirectRequest{7, WireText("x"), {}, {}, 0},
             Cat({Be32(7), Str("x"), kNoList, kNoList, Bytes{0}}), "exec direct, no lists");
  ExpectWire(ExecuteRequest{7, {2, params}, {}, 1}, Cat({Be32(7), params_wire, kNoList, kAsync}),
             "execute");

  LnaFetchRequest columns[] = {{1, 255, 0}, {-2, 0, 1}};
  ExpectWire(FetchRequest{7, 1, 2, columns},
             Cat({Be32(7), kAsync, Be16(2), Be32(2), Be16(1), Be32(255), Be16(0), Be16(0xFFFE),
                  Be32(0), Be16(1)}),
             "fetch");
  ExpectWire(FetchRequest{7, 0, 0, nullptr}, Cat({Be32(7), Bytes{0}, Be16(0), Null()}),
             "fetch of no column");

  ExpectWire(GetLongDataRequest{7, 2, -2, 4096, 1},
             Cat({Be32(7), Be16(2), Be16(0xFFFE), Be32(4096), kAsync}), "get long data");
  ExpectWire(PutLongDataRequest{7, Text("abc"), 1}, Cat({Be32(7), TextWire("abc"), kAsync}),
             "put long data");
}

TEST(StatementCalls, RepliesTravelFieldByField) {
  LnaColumnDesc columns[] = {Column("a"), Column("bc")};
  LnaParamDesc markers[] = {kMarker};
  const Bytes shape_wire =
      Cat({Be32(2), ColumnWire("a"), ColumnWire("bc"), Be16(2), Be32(1), kMarkerWire, Be16(1)});
  const StatementShape shape{columns, 2, markers, 1};
  ExpectWire(shape, shape_wire, "prepare");
  ExpectWire(StatementShape{}, Cat({Null(), Be16(0), Null(), Be16(0)}), "nothing to describe");

  LnaDescriptor values[] = {Param(2, 42)};
  const Bytes returned_wire = Cat({Be32(1), Be16(1), Be32(1), ParamWire(2, 42)});
  uint8_t rows[] = {9, 8, 7};
  const LnaRowBlock block{-16, 1, 3, rows, 3};
  const Bytes block_wire = Cat({Be16(0xFFF0), Be16(1), Be32(3), Be32(3), Bytes{9, 8, 7}});
  ExpectWire(ExecuteReply{kRpcExecute, {1, values}, 3, {}}, Cat({returned_wire, Be32(3)}),
             "execute", ExecuteReply{kRpcExecute});
  ExpectWire(ExecuteReply{kRpcExecuteArray, {}, -1, block},
             Cat({Null(), Be32(0xFFFFFFFFu), block_wire}), "execute array",
             ExecuteReply{kRpcExecuteArray});
  ExpectWire(ExecDirectReply{shape, {kRpcExecDirect, {1, values}, 1, {}}},
             Cat({shape_wire, returned_wire, Be32(1)}), "exec direct",
             ExecDirectReply{{}, ExecuteReply{kRpcExecDirect}});
  ExpectWire(ExecDirectReply{shape, {kRpcExecDirectArray, {}, 0, block}},
             Cat({shape_wire, Null(), Be32(0), block_wire}), "exec direct array",
             ExecDirectReply{{}, ExecuteReply{kRpcExecDirectArray}});

  ExpectWire(FetchBlockReply{block}, block_wire, "fetch block");
  ExpectWire(FetchReply{{8, rows, 2}}, Cat({Be32(8), Be32(2), Bytes{9, 8}}), "fetch");
  ExpectWire(GetLongDataReply{Text("piece"), 12}, Cat({TextWire("piece"), Be32(12)}), "long data");
}

TEST(StatementCalls, DecodedArraysAreHandedOverWhole) {
  // The count after an array bounds it: a larger count hands out only the
  // elements that came.
  BufPtr in = BufFrom(Cat({Be32(1), ColumnWire("a"), Be16(5), Be32(1), kMarkerWire, Be16(1)}));
  DecodedRecord<StatementShape> shape;
  ASSERT_EQ(Decode(in.get(), &shape.record), 1);
  EXPECT_EQ(shape.record.column_count, 1);
  EXPECT_STREQ(shape.record.columns[0].name, "a");
  EXPECT_EQ(shape.record.params[0].precision, 255);

  // Of the lists of returned values, the first is kept.
  in = BufFrom(Cat(
      {Be32(2), Be16(1), Be32(1), ParamWire(2, 42), Be16(1), Be32(1), ParamWire(3, 43), Be32(0)}));
  DecodedRecord<ExecuteReply> reply(ExecuteReply{kRpcExecute});
  ASSERT_EQ(Decode(in.get(), &reply.record), 1);
  ASSERT_EQ(reply.record.returned.count, 1);
  EXPECT_EQ(reply.record.returned.descs[0].number, 2);
  EXPECT_EQ(reply.record.returned.descs[0].value.value.i32, 42);
  EXPECT_EQ(MsgBufAllRead(in.get()), 1);
}

// Inputs cut short or out of shape, from the network. A refused decode
// keeps no allocation (the sanitizer build checks for leaks) and keeps the
// statement it read, which velsrv uses to place the diagnostic.
TEST(StatementCalls, ShortInputsAreRefused) {
  struct Case {
    const char* name;
    Bytes wire;
    std::function<int(MsgBuf*, int32_t*)> decode;
  };
  auto request = [](auto blank) {
    return [blank](MsgBuf* b, int32_t* statement) {
      DecodedRecord<decltype(blank)> r(blank);
      int ok = Decode(b, &r.record);
      *statement = r.record.statement;
      return ok;
    };
  };
  auto reply = [](auto blank) {
    return [blank](MsgBuf* b, int32_t* statement) {
      DecodedRecord<decltype(blank)> r(blank);
      *statement = 7;
      return Decode(b, &r.record);
    };
  };
  const Bytes params = Cat({Be16(1), Be32(1), ParamWire(1, 5)});
  const Case cases[] = {
      {"prepare without async", Cat({Be32(7), Str("x")}), request(PrepareRequest{})},
      {"exec direct, bound columns cut", Cat({Be32(7), Str("x"), params, Be16(1), Be32(1)}),
       request(ExecDirectRequest{})},
      {"exec direct without async", Cat({Be32(7), Str("x"), params, params}),
       request(ExecDirectRequest{})},
      {"execute, list longer than its descriptors",
       Cat({Be32(7), Be16(2), Be32(1), ParamWire(1, 5), kNoList, kAsync}),
       request(ExecuteRequest{})},
      {"execute without async", Cat({Be32(7), params, params}), request(ExecuteRequest{})},
      {"fetch, fewer requests than its count",
       Cat({Be32(7), kAsync, Be16(2), Be32(1), Be16(1), Be32(9), Be16(0)}),
       request(FetchRequest{})},
      {"fetch, more requests than its count",
       Cat({Be32(7), kAsync, Be16(0), Be32(1), Be16(1), Be32(9), Be16(0)}),
       request(FetchRequest{})},
      {"get long data without async", Cat({Be32(7), Be16(1), Be16(1), Be32(10)}),
       request(GetLongDataRequest{})},
      {"put long data without async", Cat({Be32(7), TextWire("abc")}),
       request(PutLongDataRequest{})},
      {"shape without its parameters' count",
       Cat({Be32(1), ColumnWire("a"), Be16(1), Be32(1), kMarkerWire}), reply(StatementShape{})},
      {"execute array without its block", Cat({Be32(1), params, Be32(3)}),
       reply(ExecuteReply{kRpcExecuteArray})},
      {"exec direct without its row count",
       Cat({Be32(1), ColumnWire("a"), Be16(1), Null(), Be16(0), Be32(1), params}),
       reply(ExecDirectReply{{}, ExecuteReply{kRpcExecDirect}})},
      {"not an execution", Cat({Null(), Be32(3)}), reply(ExecuteReply{kRpcFetch})},
      {"fetch block cut", Cat({Be16(0), Be16(1), Be32(3), Be32(3), Bytes{1}}),
       reply(FetchBlockReply{})},
      {"long data without its length", TextWire("piece"), reply(GetLongDataReply{})},
  };
  for (const Case& c : cases) {
    BufPtr in = BufFrom(c.wire);
    int32_t statement = 0;
    EXPECT_EQ(c.decode(in.get(), &statement), 0) << c.name;
    EXPECT_EQ(statement, 7) << c.name;
  }
}

TEST(StatementCalls, RecordsOutOfShapeAreNotSent) {
  BufPtr out = NewBuf();
  EXPECT_EQ(Encode(out.get(), FetchRequest{7, 0, 2, nullptr}), 0) << "a count without its records";
  EXPECT_EQ(Encode(out.get(), ExecuteReply{kRpcPrepare}), 0) << "not an execution";
}

}  // namespace
