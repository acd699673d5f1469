#include "wire/typed_value.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/memory.h"
#include "common/tls_slot.h"
#include "testing/wire_test_bytes.h"

namespace {

using namespace wire_test;

char kHello[] = "hello";
char kAbc[] = "abc";
uint8_t kBinary[] = {0xAA, 0xBB, 0xCC};

LnaTypedValue Value(int16_t c_type, int32_t length) {
  LnaTypedValue v;
  std::memset(&v, 0, sizeof(v));
  v.c_type = c_type;
  v.length = length;
  return v;
}

LnaTypedValue U8(int16_t c_type, uint8_t x) {
  LnaTypedValue v = Value(c_type, 1);
  v.value.u8 = x;
  return v;
}
LnaTypedValue I32(int16_t c_type, int32_t x) {
  LnaTypedValue v = Value(c_type, 4);
  v.value.i32 = x;
  return v;
}
LnaTypedValue U16(int16_t c_type, uint16_t x) {
  LnaTypedValue v = Value(c_type, 2);
  v.value.u16 = x;
  return v;
}
LnaTypedValue Float(float x) {
  LnaTypedValue v = Value(kCTypeFloat, 4);
  v.value.f32 = x;
  return v;
}
LnaTypedValue Double(double x) {
  LnaTypedValue v = Value(kCTypeDouble, 8);
  v.value.f64 = x;
  return v;
}
LnaTypedValue Date(int16_t c_type, uint16_t a, uint16_t b, uint16_t c) {
  LnaTypedValue v = Value(c_type, 6);
  v.value.date[0] = a;
  v.value.date[1] = b;
  v.value.date[2] = c;
  return v;
}
LnaTypedValue Timestamp() {
  LnaTypedValue v = Value(kCTypeTimestamp, 16);
  v.value.timestamp = {1999, 12, 31, 23, 59, 58, 500000000};
  return v;
}
LnaTypedValue Text(int32_t length, char* text) {
  LnaTypedValue v = Value(kCTypeChar, length);
  v.value.text = text;
  return v;
}
LnaTypedValue Binary(int32_t length, uint8_t* bytes) {
  LnaTypedValue v = Value(kCTypeBinary, length);
  v.value.bytes = bytes;
  return v;
}

struct ValueCase {
  const char* name;
  LnaTypedValue v;
  Bytes wire;
};

const ValueCase kValues[] = {
    {"unsigned tinyint", U8(kCTypeUTinyInt, 0xFE), {0xFF, 0xE4, 0, 0, 0, 1, 0xFE}},
    {"signed tinyint", U8(kCTypeSTinyInt, 0x80), {0xFF, 0xE6, 0, 0, 0, 1, 0x80}},
    {"bit", U8(kCTypeBit, 1), {0xFF, 0xF9, 0, 0, 0, 1, 0x01}},
    {"tinyint", U8(kCTypeTinyInt, 0x7F), {0xFF, 0xFA, 0, 0, 0, 1, 0x7F}},
    {"unsigned long",
     I32(kCTypeULong, 0x01020304),
     {0xFF, 0xEE, 0, 0, 0, 4, 0x01, 0x02, 0x03, 0x04}},
    {"signed long", I32(kCTypeSLong, -2), {0xFF, 0xF0, 0, 0, 0, 4, 0xFF, 0xFF, 0xFF, 0xFE}},
    {"long", I32(kCTypeLong, 0x7FFFFFFF), {0x00, 0x04, 0, 0, 0, 4, 0x7F, 0xFF, 0xFF, 0xFF}},
    {"unsigned short", U16(kCTypeUShort, 0xFFFF), {0xFF, 0xEF, 0, 0, 0, 2, 0xFF, 0xFF}},
    {"signed short", U16(kCTypeSShort, 0x8001), {0xFF, 0xF1, 0, 0, 0, 2, 0x80, 0x01}},
    {"short", U16(kCTypeShort, 0x0102), {0x00, 0x05, 0, 0, 0, 2, 0x01, 0x02}},
    {"float", Float(1.5f), {0x00, 0x07, 0, 0, 0, 4, 0x3F, 0xC0, 0x00, 0x00}},
    {"double", Double(-2.0), {0x00, 0x08, 0, 0, 0, 8, 0xC0, 0, 0, 0, 0, 0, 0, 0}},
    {"date",
     Date(kCTypeDate, 2024, 2, 29),
     {0x00, 0x09, 0, 0, 0, 6, 0x07, 0xE8, 0x00, 0x02, 0x00, 0x1D}},
    {"time",
     Date(kCTypeTime, 23, 59, 58),
     {0x00, 0x0A, 0, 0, 0, 6, 0x00, 0x17, 0x00, 0x3B, 0x00, 0x3A}},
    {"timestamp 1999-12-31 23:59:58.5",
     Timestamp(),
     {0x00, 0x0B, 0,    0,    0,    16,   0x07, 0xCF, 0x00, 0x0C, 0x00,
      0x1F, 0x00, 0x17, 0x00, 0x3B, 0x00, 0x3A, 0x1D, 0xCD, 0x65, 0x00}},
    {"character: length + 1 bytes ending in NUL",
     Text(5, kHello),
     {0x00, 0x01, 0, 0, 0, 5, 0, 0, 0, 6, 'h', 'e', 'l', 'l', 'o', 0x00}},
    {"character null-terminated travels as a string",
     Text(kValueNullTerminated, kAbc),
     {0x00, 0x01, 0xFF, 0xFF, 0xFF, 0xFD, 0, 0, 0, 3, 'a', 'b', 'c'}},
    {"character without a text",
     Text(3, nullptr),
     {0x00, 0x01, 0, 0, 0, 3, 0xFF, 0xFF, 0xFF, 0xFF}},
    {"binary", Binary(3, kBinary), {0xFF, 0xFE, 0, 0, 0, 3, 0, 0, 0, 3, 0xAA, 0xBB, 0xCC}},
    {"binary null-terminated travels as a string",
     Binary(kValueNullTerminated, reinterpret_cast<uint8_t*>(kAbc)),
     {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFD, 0, 0, 0, 3, 'a', 'b', 'c'}},
    {"null carries nothing more",
     Value(kCTypeLong, kValueNull),
     {0x00, 0x04, 0xFF, 0xFF, 0xFF, 0xFF}},
    {"null of a text", Value(kCTypeChar, kValueNull), {0x00, 0x01, 0xFF, 0xFF, 0xFF, 0xFF}},
    {"null of a type the wire does not know",
     Value(99, kValueNull),
     {0x00, 0x63, 0xFF, 0xFF, 0xFF, 0xFF}},
    {"length 0 carries nothing more", Value(kCTypeChar, 0), {0x00, 0x01, 0, 0, 0, 0}},
};

void ExpectSameValue(const LnaTypedValue& got, const LnaTypedValue& want) {
  EXPECT_EQ(got.c_type, want.c_type);
  EXPECT_EQ(got.length, want.length);
  bool pointer = (want.c_type == kCTypeChar || want.c_type == kCTypeBinary) && want.length != 0 &&
                 want.length != kValueNull;
  if (!pointer) {
    EXPECT_EQ(std::memcmp(got.value.raw, want.value.raw, sizeof(want.value.raw)), 0);
  } else if (want.value.text == nullptr) {
    EXPECT_EQ(got.value.text, nullptr);
  } else {
    ASSERT_NE(got.value.text, nullptr);
    bool string = want.length == kValueNullTerminated;
    size_t n = string ? std::strlen(want.value.text) : static_cast<size_t>(want.length);
    EXPECT_EQ(std::memcmp(got.value.bytes, want.value.bytes, n), 0);
    if (string || want.c_type == kCTypeChar) {
      EXPECT_EQ(got.value.text[n], '\0');
    }
  }
}

TEST(TypedValue, EveryCTypeBothWays) {
  for (const ValueCase& c : kValues) {
    SCOPED_TRACE(c.name);
    BufPtr out = NewBuf();
    ASSERT_EQ(XdrPutTypedValue(out.get(), &c.v), 1);
    EXPECT_EQ(Written(out.get()), c.wire);

    BufPtr in = BufFrom(c.wire);
    LnaTypedValue got;
    std::memset(&got, 0xA5, sizeof(got));  // unpacking starts from zero
    ASSERT_EQ(XdrTypedValue(in.get(), &got), 1);
    EXPECT_EQ(MsgBufAllRead(in.get()), 1);
    ExpectSameValue(got, c.v);
    XdrFreeTypedValue(&got);
  }
}

TEST(TypedValue, FixedSizeOfEachCType) {
  struct Case {
    int16_t c_type;
    int32_t size;
  };
  const Case kCases[] = {
      {kCTypeUTinyInt, 1}, {kCTypeSTinyInt, 1}, {kCTypeBit, 1},
      {kCTypeTinyInt, 1},  {kCTypeUShort, 2},   {kCTypeSShort, 2},
      {kCTypeShort, 2},    {kCTypeULong, 4},    {kCTypeSLong, 4},
      {kCTypeLong, 4},     {kCTypeFloat, 4},    {kCTypeDouble, 8},
      {kCTypeDate, 6},     {kCTypeTime, 6},     {kCTypeTimestamp, 16},
      {kCTypeChar, 0},     {kCTypeBinary, 0},   {99, 0},
  };
  for (const Case& c : kCases) EXPECT_EQ(CTypeFixedSize(c.c_type), c.size) << c.c_type;
}

TEST(TypedValue, TextIsPackedWithoutReadingPastItsLength) {
  // Exactly the five letters, no NUL after them: a read of length + 1 bytes
  // from here would run off the block.
  auto* letters = static_cast<char*>(std::malloc(5));
  std::memcpy(letters, "hello", 5);
  LnaTypedValue v = Text(5, letters);
  BufPtr out = NewBuf();
  ASSERT_EQ(XdrPutTypedValue(out.get(), &v), 1);
  EXPECT_EQ(Written(out.get()), (Bytes{0, 1, 0, 0, 0, 5, 0, 0, 0, 6, 'h', 'e', 'l', 'l', 'o', 0}));
  std::free(letters);
}

TEST(TypedValue, UnknownCTypeFailsWithAReason) {
  LnaTypedValue v = I32(99, 7);
  BufPtr out = NewBuf();
  TlsSlotSet(0);
  EXPECT_EQ(XdrPutTypedValue(out.get(), &v), 0);
  EXPECT_EQ(TlsSlotGet(), kWireErrCannotGrow);

  BufPtr in = BufFrom({0x00, 0x63, 0, 0, 0, 4, 0, 0, 0, 7});
  LnaTypedValue got;
  TlsSlotSet(0);
  EXPECT_EQ(XdrTypedValue(in.get(), &got), 0);
  EXPECT_EQ(TlsSlotGet(), kWireErrBadRead);
}

TEST(TypedValue, PayloadMustCoverTheValuesLength) {
  struct {
    const char* name;
    Bytes wire;
    int ok;
    const char* text;  // for accepted texts
  } cases[] = {
      {"text shorter than its length", {0, 1, 0, 0, 0, 5, 0, 0, 0, 3, 'a', 'b', 'c'}, 0, nullptr},
      {"text without room for its NUL", {0, 1, 0, 0, 0, 3, 0, 0, 0, 3, 'a', 'b', 'c'}, 0, nullptr},
      {"text whose NUL is missing is cut at its length",
       {0, 1, 0, 0, 0, 3, 0, 0, 0, 4, 'a', 'b', 'c', 'd'},
       1,
       "abc"},
      {"text longer than its length", {0, 1, 0, 0, 0, 1, 0, 0, 0, 3, 'a', 0, 'x'}, 1, "a"},
      {"text bytes missing", {0, 1, 0, 0, 0, 5, 0, 0, 0, 6, 'a', 'b'}, 0, nullptr},
      {"binary shorter than its length", {0xFF, 0xFE, 0, 0, 0, 4, 0, 0, 0, 2, 1, 2}, 0, nullptr},
      {"payload cut short", {0, 4, 0, 0, 0, 4, 0, 0}, 0, nullptr},
      {"header cut short", {0, 4, 0, 0}, 0, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BufPtr in = BufFrom(c.wire);
    LnaTypedValue got;
    TlsSlotSet(0);
    EXPECT_EQ(XdrTypedValue(in.get(), &got), c.ok);
    if (c.ok) {
      EXPECT_STREQ(got.value.text, c.text);
    } else {
      EXPECT_EQ(TlsSlotGet(), kWireErrBadRead);
      EXPECT_EQ(got.value.text, nullptr);  // nothing left allocated
    }
    XdrFreeTypedValue(&got);
  }
}

TEST(TypedValue, ArrayThatFailsHalfWayFreesTheTextsBeforeIt) {
  Bytes wire = Cat({Be32(3),
                    {0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 'h', 'i', 0},
                    {0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 'y', 'o', 0},
                    {0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 'z'}});
  BufPtr in = BufFrom(wire);
  void* out = nullptr;
  TlsSlotSet(0);
  EXPECT_EQ(MsgBufGetArray(in.get(), &out, MsgBufGetElem<XdrTypedValue>, sizeof(LnaTypedValue),
                           nullptr, MsgBufRelease<XdrFreeTypedValue>),
            0);
  EXPECT_EQ(TlsSlotGet(), kWireErrBadRead);
  EXPECT_EQ(out, nullptr);
  // The leak checker of the sanitizer build sees any text left behind.
}

}  // namespace
