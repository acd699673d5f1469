#include "wire/connect_call.h"

#include <gtest/gtest.h>

#include <cstring>

#include "testing/wire_test_bytes.h"

namespace {

using namespace wire_test;

Bytes Encoded(const ConnectReply& reply) {
  BufPtr out = NewBuf();
  EXPECT_EQ(Encode(out.get(), reply), 1);
  return Written(out.get());
}

// The nested records as their own codecs write them (tested on their own).
template <typename T>
Bytes Record(int (*put)(MsgBuf*, const T*), const T& record) {
  BufPtr out = NewBuf();
  EXPECT_EQ(put(out.get(), &record), 1);
  return Written(out.get());
}

ConnectReply SampleReply() {
  ConnectReply r;
  r.connection_id = 7;
  r.cancel_key = 0xBEEF;
  r.text = {0xAA, 0xBB, 0xCC};
  r.extra = 0x01020304;
  std::strcpy(r.info.dbms_name, "SQLite");
  r.info154.longs[0] = 9;
  r.info96.masks[23] = 5;
  LnaTypeInfo type{};
  std::strcpy(type.type_name, "INTEGER");
  type.sql_type = 4;
  r.types = {type};
  LnaTableType table{};
  std::strcpy(table.name, "TABLE");
  table.bit = 1;
  r.table_types = {table, table};
  r.functions[0] = 1;
  r.functions[99] = 0xFFFF;
  r.result.packet_size = 8192;
  r.info52.values[12] = 3;
  return r;
}

TEST(ConnectCall, RequestIsTheScrambledTextAndTheOutputSize) {
  ConnectRequest request{{0x11, 0x22, 0x33}, 8192};
  BufPtr out = NewBuf();
  ASSERT_EQ(Encode(out.get(), request), 1);
  Bytes wire = Cat({Be32(3), {0x11, 0x22, 0x33}, Be32(8192)});
  EXPECT_EQ(Written(out.get()), wire);

  BufPtr in = BufFrom(wire);
  ConnectRequest back;
  ASSERT_EQ(Decode(in.get(), &back), 1);
  EXPECT_EQ(MsgBufAllRead(in.get()), 1);
  EXPECT_EQ(back.text, request.text);
  EXPECT_EQ(back.output_size, 8192);
}

TEST(ConnectCall, RequestsWithoutAUsableTextAreRefused) {
  struct Case {
    const char* name;
    Bytes wire;
  } cases[] = {
      {"no length", Be16(0)},
      {"shorter than its prefix", Cat({Be32(1), {0x11}, Be32(8192)})},
      {"negative length", Cat({Be32(0xFFFFFFFFu), Be32(8192)})},
      {"longer than any login", Cat({Be32(kConnectMaxText + 1), Be32(8192)})},
      {"text cut short", Cat({Be32(3), {0x11, 0x22}})},
      {"no output size", Cat({Be32(2), {0x11, 0x22}})},
  };
  for (const Case& c : cases) {
    BufPtr in = BufFrom(c.wire);
    ConnectRequest back;
    EXPECT_EQ(Decode(in.get(), &back), 0) << c.name;
  }
}

TEST(ConnectCall, ReplyTravelsFieldByField) {
  ConnectReply r = SampleReply();
  Bytes functions;
  for (uint16_t f : r.functions) functions = Cat({functions, Be16(f)});
  Bytes type_array = Cat({Be32(1), Record(XdrPutTypeInfo, r.types[0])});
  Bytes table_array = Cat({Be32(2), Record(XdrPutTableType, r.table_types[0]),
                           Record(XdrPutTableType, r.table_types[1])});
  Bytes wire = Cat({Be32(7),
                    Be16(0xBEEF),
                    Be32(3),
                    {0xAA, 0xBB, 0xCC},
                    Be32(0x01020304),
                    Record(XdrPutServerInfo, r.info),
                    Record(XdrPutLoginInfo154, r.info154),
                    Record(XdrPutLoginInfo96, r.info96),
                    type_array,
                    Be16(1),
                    table_array,
                    Be16(2),
                    functions,
                    Record(XdrPutConnectResult, r.result),
                    Record(XdrPutLoginInfo52, r.info52)});
  EXPECT_EQ(Encoded(r), wire);

  BufPtr in = BufFrom(wire);
  ConnectReply back;
  back.text.resize(3);
  ASSERT_EQ(Decode(in.get(), &back), 1);
  EXPECT_EQ(MsgBufAllRead(in.get()), 1);
  EXPECT_EQ(back.type_count, 1);
  EXPECT_EQ(back.table_type_count, 2);
  EXPECT_EQ(Encoded(back), wire);
}

TEST(ConnectCall, ReplyIsReadAsTheClientSentIt) {
  ConnectReply sent = SampleReply();
  Bytes wire = Encoded(sent);
  // The stated length says 3, but a client that sent 3 bytes reads 3 and one
  // that trusted another length would read the rest out of step.
  wire[6 + 3] = 9;
  BufPtr in = BufFrom(wire);
  ConnectReply back;
  back.text.resize(3);
  ASSERT_EQ(Decode(in.get(), &back), 1);
  EXPECT_EQ(back.text, sent.text);
  EXPECT_EQ(MsgBufAllRead(in.get()), 1);

  // A count larger than the records that came is kept as stated: the reader
  // decides what to trust.
  Bytes type_count_at = Cat({Be32(1), Record(XdrPutTypeInfo, sent.types[0])});
  size_t at = 0;
  for (size_t i = 0; i + type_count_at.size() <= wire.size(); ++i) {
    if (std::equal(type_count_at.begin(), type_count_at.end(), wire.begin() + i)) {
      at = i + type_count_at.size();
      break;
    }
  }
  ASSERT_NE(at, 0u);
  wire[at + 1] = 5;
  in = BufFrom(wire);
  ASSERT_EQ(Decode(in.get(), &back), 1);
  EXPECT_EQ(back.type_count, 5);
  EXPECT_EQ(back.types.size(), 1u);
}

TEST(ConnectCall, ShortRepliesAreRefused) {
  Bytes wire = Encoded(SampleReply());
  for (size_t cut : {size_t{0}, size_t{5}, size_t{12}, wire.size() / 2, wire.size() - 1}) {
    Bytes part(wire.begin(), wire.begin() + static_cast<long>(cut));
    BufPtr in = BufFrom(part);
    ConnectReply back;
    back.text.resize(3);
    EXPECT_EQ(Decode(in.get(), &back), 0) << "cut at " << cut;
  }
}

}  // namespace
