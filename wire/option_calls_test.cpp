#include "wire/option_calls.h"

#include <gtest/gtest.h>

#include "testing/record_wire_check.h"
#include "wire/calls.h"

namespace {

using namespace wire_test;

LnaTypedValue Long(int32_t n) {
  LnaTypedValue v{};
  v.c_type = kCTypeLong;
  v.length = 4;
  v.value.i32 = n;
  return v;
}

LnaTypedValue Text(const char* text, int32_t length) {
  LnaTypedValue v{};
  v.c_type = kCTypeChar;
  v.length = length;
  v.value.text = const_cast<char*>(text);
  return v;
}

// "ab" as a text value: C type, length, then its bytes and NUL as a byte array.
const Bytes kTextAb = Cat({Be16(1), Be32(2), Be32(3), Bytes{'a', 'b', 0}});

SetOptionRequest SetOption(int32_t handle, uint16_t option, const LnaTypedValue& value) {
  return SetOptionRequest{handle, option, WireValue::Refer(value)};
}

GetOptionReply OptionReply(const LnaTypedValue& value) {
  GetOptionReply reply;
  reply.value = WireValue::Refer(value);
  return reply;
}

GetInfoReply InfoReply(const LnaTypedValue& value, int32_t full_length) {
  GetInfoReply reply;
  reply.value = WireValue::Refer(value);
  reply.full_length = full_length;
  return reply;
}

TEST(OptionCalls, RecordsTravelFieldByField) {
  LnaTypedValue short_seven{};
  short_seven.c_type = kCTypeShort;
  short_seven.length = 2;
  short_seven.value.u16 = 7;
  ExpectWire(SetOption(5, 102, Long(1)), Cat({Be32(5), Be16(102), Be16(4), Be32(4), Be32(1)}),
             "set long");
  ExpectWire(SetOption(9, 0, short_seven), Cat({Be32(9), Be16(0), Be16(5), Be32(2), Be16(7)}),
             "set short");
  ExpectWire(SetOption(5, 109, Text("ab", 2)), Cat({Be32(5), Be16(109), kTextAb}), "set text");
  ExpectWire(OptionReply(Long(3)), Cat({Be32(1), Be16(4), Be32(4), Be32(3)}), "option value");
  ExpectWire(GetOptionReply{}, Null(), "no option value");
  ExpectWire(InfoReply(Text("hello", 5), 5),
             Cat({Be32(1), Be16(1), Be32(5), Be32(6), Bytes{'h', 'e', 'l', 'l', 'o', 0}, Be32(5)}),
             "info text");
  ExpectWire(GetInfoReply{}, Cat({Null(), Be32(0)}), "no info value");
}

TEST(OptionCalls, ShortInputsDoNotDecode) {
  auto set_option = DecodeFresh<SetOptionRequest>;
  ExpectRefused({
      {"set option without its value", Cat({Be32(5), Be16(102)}), set_option},
      {"set option, value without its number", Cat({Be32(5), Be16(102), Be16(4), Be32(4)}),
       set_option},
      {"set option, text shorter than its length",
       Cat({Be32(5), Be16(109), Be16(1), Be32(5), Be32(3), Bytes{'a', 'b', 0}}), set_option},
      {"set option, unknown C type", Cat({Be32(5), Be16(102), Be16(99), Be32(4), Be32(1)}),
       set_option},
      {"option reply with more values than bytes", Cat({Be32(2), Be16(4), Be32(4), Be32(3)}),
       DecodeFresh<GetOptionReply>},
      {"info reply without its full length", Cat({Be32(1), Be16(4), Be32(4), Be32(3)}),
       DecodeFresh<GetInfoReply>},
  });
}

// The reader keeps the first of several values and frees the rest; a
// decoded text belongs to the record until it is handed out.
TEST(OptionCalls, TheFirstValueIsKeptAndOwned) {
  BufPtr in = BufFrom(Cat({Be32(2), kTextAb, Be16(1), Be32(1), Be32(2), Bytes{'c', 0}}));
  GetOptionReply reply;
  ASSERT_EQ(Decode(in.get(), &reply), 1);
  ASSERT_TRUE(reply.value.has_value());
  EXPECT_STREQ(reply.value->get().value.text, "ab");
  LnaTypedValue out = reply.value->Release();
  EXPECT_EQ(reply.value->get().value.text, nullptr);
  EXPECT_STREQ(out.value.text, "ab");
  XdrFreeTypedValue(&out);
}

TEST(OptionCalls, AValueHasOneOwnerAtATime) {
  SetOptionRequest request;
  BufPtr in = BufFrom(Cat({Be32(5), Be16(109), kTextAb}));
  ASSERT_EQ(Decode(in.get(), &request), 1);
  WireValue moved = std::move(request.value);
  EXPECT_EQ(request.value.get().value.text, nullptr);
  EXPECT_STREQ(moved.get().value.text, "ab");
  // Decoding again frees the text held before.
  BufPtr again = BufFrom(kTextAb);
  ASSERT_EQ(Decode(again.get(), &moved), 1);
  EXPECT_STREQ(moved.get().value.text, "ab");
  // A referred value leaves the caller's text alone.
  char text[] = "xy";
  { WireValue referred = WireValue::Refer(Text(text, 2)); }
  EXPECT_STREQ(text, "xy");
}

}  // namespace
