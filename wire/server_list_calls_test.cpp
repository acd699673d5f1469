#include "wire/server_list_calls.h"

#include <gtest/gtest.h>

#include <functional>

#include "testing/record_wire_check.h"

namespace {

using wire_test::Be32;
using wire_test::BufFrom;
using wire_test::BufPtr;
using wire_test::Bytes;
using wire_test::Cat;
using wire_test::ExpectWire;
using wire_test::Null;
using wire_test::Str;

TEST(ServerListCalls, RecordsTravelFieldByField) {
  ExpectWire(ServerListRequest{WireText("servers"), 64}, Cat({Str("servers"), Be32(64)}),
             "request");
  ExpectWire(ServerListRequest{std::nullopt, 0}, Cat({Null(), Be32(0)}), "anonymous request");
  ExpectWire(ServerListReply{WireText("alpha:1583;beta:1583")}, Str("alpha:1583;beta:1583"),
             "servers");
  ExpectWire(ServerListReply{}, Null(), "no servers");
  ExpectWire(DataSourcesReply{std::string("a\0b", 3)}, Cat({Be32(3), Bytes{'a', 0, 'b'}}),
             "sources");
  ExpectWire(DataSourcesReply{}, Be32(0), "no sources");
}

TEST(ServerListCalls, ShortInputsDoNotDecode) {
  struct Case {
    const char* name;
    Bytes wire;
    std::function<int(MsgBuf*)> decode;
  };
  auto sources = [](MsgBuf* b) {
    DataSourcesReply r;
    return Decode(b, &r);
  };
  const Case cases[] = {
      {"request without its size", Str("servers"),
       [](MsgBuf* b) {
         ServerListRequest r;
         return Decode(b, &r);
       }},
      {"servers cut", Cat({Be32(9), Bytes{'a', 'b'}}),
       [](MsgBuf* b) {
         ServerListReply r;
         return Decode(b, &r);
       }},
      {"sources shorter than announced", Cat({Be32(4), Bytes{1, 2, 3}}), sources},
      {"a negative count of sources", Null(), sources},
  };
  for (const Case& c : cases) {
    BufPtr in = BufFrom(c.wire);
    EXPECT_EQ(c.decode(in.get()), 0) << c.name;
  }
}

}  // namespace
