#include "wire/server_list_calls.h"

#include <gtest/gtest.h>

#include "testing/record_wire_check.h"

namespace {

using namespace wire_test;

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
  auto sources = DecodeFresh<DataSourcesReply>;
  ExpectRefused({
      {"request without its size", Str("servers"), DecodeFresh<ServerListRequest>},
      {"servers cut", Cat({Be32(9), Bytes{'a', 'b'}}), DecodeFresh<ServerListReply>},
      {"sources shorter than announced", Cat({Be32(4), Bytes{1, 2, 3}}), sources},
      {"a negative count of sources", Null(), sources},
  });
}

}  // namespace
