#include "wire/descriptor.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/memory.h"
#include "common/tls_slot.h"
#include "driver/lna/lna_param_values.h"
#include "testing/wire_test_bytes.h"

namespace {

using namespace wire_test;

char kText[] = "hi";

LnaDescriptor IntegerParam() {
  LnaDescriptor d;
  std::memset(&d, 0, sizeof(d));
  d.number = 1;
  d.param_type = 1;
  d.sql_type = 4;
  d.precision = 10;
  d.scale = 0;
  d.buffer_size = 4;
  d.value.c_type = kCTypeLong;
  d.value.length = 4;
  d.value.value.i32 = 42;
  return d;
}

LnaDescriptor TextColumn() {
  LnaDescriptor d;
  std::memset(&d, 0, sizeof(d));
  d.number = 2;
  d.param_type = 4;
  d.sql_type = -1;
  d.precision = 0x10000;
  d.scale = -3;
  d.buffer_size = 255;
  d.value.c_type = kCTypeChar;
  d.value.length = 2;
  d.value.value.text = kText;
  return d;
}

const Bytes kIntegerParamWire = {
    0x00, 0x01,                                                  // number
    0x00, 0x01,                                                  // parameter type
    0x00, 0x04,                                                  // SQL type
    0x00, 0x00, 0x00, 0x0A,                                      // precision
    0x00, 0x00,                                                  // scale
    0x00, 0x00, 0x00, 0x04,                                      // buffer size
    0x00, 0x04, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x2A,  // value
};

const Bytes kTextColumnWire = {
    0x00, 0x02, 0x00, 0x04, 0xFF, 0xFF, 0x00, 0x01, 0x00, 0x00, 0xFF, 0xFD, 0x00, 0x00, 0x00,
    0xFF, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x03, 'h',  'i',  0x00,
};

void ExpectSameDescriptor(const LnaDescriptor& got, const LnaDescriptor& want) {
  EXPECT_EQ(got.number, want.number);
  EXPECT_EQ(got.param_type, want.param_type);
  EXPECT_EQ(got.sql_type, want.sql_type);
  EXPECT_EQ(got.precision, want.precision);
  EXPECT_EQ(got.scale, want.scale);
  EXPECT_EQ(got.buffer_size, want.buffer_size);
  EXPECT_EQ(got.value.c_type, want.value.c_type);
  EXPECT_EQ(got.value.length, want.value.length);
  if (want.value.c_type == kCTypeChar)
    EXPECT_STREQ(got.value.value.text, want.value.value.text);
  else
    EXPECT_EQ(got.value.value.i32, want.value.value.i32);
}

TEST(Descriptor, BothWays) {
  struct {
    const char* name;
    LnaDescriptor d;
    const Bytes& wire;
  } cases[] = {
      {"integer parameter", IntegerParam(), kIntegerParamWire},
      {"text column with negative fields", TextColumn(), kTextColumnWire},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BufPtr out = NewBuf();
    ASSERT_EQ(XdrPutDescriptor(out.get(), &c.d), 1);
    EXPECT_EQ(Written(out.get()), c.wire);

    BufPtr in = BufFrom(c.wire);
    LnaDescriptor got;
    std::memset(&got, 0, sizeof(got));
    ASSERT_EQ(XdrGetDescriptor(in.get(), &got), 1);
    EXPECT_EQ(MsgBufAllRead(in.get()), 1);
    ExpectSameDescriptor(got, c.d);
    XdrFreeDescriptor(&got);
  }
}

TEST(DescList, BothWays) {
  LnaDescriptor two[] = {IntegerParam(), TextColumn()};
  struct {
    const char* name;
    LnaDescList list;
    Bytes wire;
  } cases[] = {
      {"no descriptors", {0, nullptr}, {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"two descriptors",
       {2, two},
       Cat({{0x00, 0x02, 0x00, 0x00, 0x00, 0x02}, kIntegerParamWire, kTextColumnWire})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BufPtr out = NewBuf();
    ASSERT_EQ(XdrParamDesc(out.get(), &c.list), 1);
    EXPECT_EQ(Written(out.get()), c.wire);

    BufPtr in = BufFrom(c.wire);
    LnaDescList got;
    ASSERT_EQ(XdrGetDescArray(in.get(), &got), 1);
    EXPECT_EQ(MsgBufAllRead(in.get()), 1);
    ASSERT_EQ(got.count, c.list.count);
    EXPECT_EQ(got.descs == nullptr, c.list.count == 0);
    for (uint16_t i = 0; i < got.count; ++i) ExpectSameDescriptor(got.descs[i], c.list.descs[i]);
    XdrFreeDescList(&got);
    EXPECT_EQ(got.descs, nullptr);
  }
}

TEST(DescList, CountMustNotExceedTheDescriptorsThatCame) {
  struct {
    const char* name;
    Bytes wire;
    int ok;
    uint16_t count;
  } cases[] = {
      {"count above the array", Cat({{0x00, 0x02, 0x00, 0x00, 0x00, 0x01}, kTextColumnWire}), 0, 0},
      {"count with no array", {0x00, 0x01, 0xFF, 0xFF, 0xFF, 0xFF}, 0, 0},
      {"count below the array",
       Cat({{0x00, 0x01, 0x00, 0x00, 0x00, 0x02}, kTextColumnWire, kTextColumnWire}), 1, 1},
      {"second descriptor cut short",
       Cat({{0x00, 0x02, 0x00, 0x00, 0x00, 0x02},
            kTextColumnWire,
            Bytes(kTextColumnWire.begin(), kTextColumnWire.end() - 1)}),
       0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BufPtr in = BufFrom(c.wire);
    LnaDescList got;
    TlsSlotSet(0);
    EXPECT_EQ(XdrGetDescArray(in.get(), &got), c.ok);
    EXPECT_EQ(got.count, c.count);
    if (!c.ok) {
      EXPECT_EQ(TlsSlotGet(), kWireErrBadRead);
      EXPECT_EQ(got.descs, nullptr);  // the texts already read were freed
    }
    XdrFreeDescList(&got);  // frees every descriptor of the array, counted or not
  }
}

// The last piece of a long value may be empty: it arrives without bytes,
// and the caller's buffer gets an empty text or nothing.
TEST(TypedValueCopyTest, ValuesWithoutBytes) {
  for (int16_t c_type : {kCTypeChar, kCTypeBinary}) {
    SCOPED_TRACE(c_type);
    LnaTypedValue empty{};
    empty.c_type = c_type;
    empty.length = 0;
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(CopyTypedValue(&empty, c_type, buffer, sizeof buffer), 1);
    EXPECT_EQ(buffer[0], c_type == kCTypeChar ? '\0' : 'x');
    EXPECT_EQ(buffer[1], 'x');
  }
}

}  // namespace
