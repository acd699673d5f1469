// The check every request and reply record gets: it encodes to the bytes
// spelled out by hand, and those bytes decode whole into a record that
// encodes to them again, so the two sides agree field by field.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "testing/wire_test_bytes.h"

namespace wire_test {

// `back` is the record decoded into: a fresh one, told first what a decode
// needs to know (a procedure the frame header names). A record whose decode
// allocates has a Free, run at the end.
template <typename Record>
void ExpectWire(const Record& record, const Bytes& wire, const char* name, Record back = Record{}) {
  BufPtr out = NewBuf();
  ASSERT_EQ(Encode(out.get(), record), 1) << name;
  EXPECT_EQ(Written(out.get()), wire) << name;
  BufPtr in = BufFrom(wire);
  ASSERT_EQ(Decode(in.get(), &back), 1) << name;
  EXPECT_EQ(MsgBufAllRead(in.get()), 1) << name;
  BufPtr again = NewBuf();
  EXPECT_EQ(Encode(again.get(), back), 1) << name;
  EXPECT_EQ(Written(again.get()), wire) << name;
  if constexpr (requires(Record * r) { Free(r); }) Free(&back);
}

// Bytes that a decode must refuse.
struct RefusedInput {
  const char* name;
  Bytes wire;
  std::function<int(MsgBuf*)> decode;
};

// Decodes into a fresh record, which frees what it holds.
template <typename Record>
int DecodeFresh(MsgBuf* buf) {
  Record record;
  return Decode(buf, &record);
}

inline void ExpectRefused(const std::vector<RefusedInput>& cases) {
  for (const RefusedInput& c : cases) {
    BufPtr in = BufFrom(c.wire);
    EXPECT_EQ(c.decode(in.get()), 0) << c.name;
  }
}

}  // namespace wire_test
