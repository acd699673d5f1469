#include "wire/msg_buf.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/memory.h"
#include "common/tls_slot.h"
#include "testing/test_env.h"
#include "testing/wire_test_bytes.h"

namespace {

using namespace wire_test;

enum class Kind { kU8, kU16, kU32, kI32, kI64 };

int Put(MsgBuf* buf, Kind kind, int64_t v) {
  switch (kind) {
    case Kind::kU8:
      return MsgBufPutU8(buf, static_cast<uint8_t>(v));
    case Kind::kU16:
      return MsgBufPutU16(buf, static_cast<uint32_t>(v));
    case Kind::kU32:
      return MsgBufPutU32(buf, static_cast<uint32_t>(v));
    case Kind::kI32:
      return MsgBufPutI32(buf, static_cast<int32_t>(v));
    case Kind::kI64:
      return MsgBufPutI64(buf, v);
  }
  return 0;
}

int Get(MsgBuf* buf, Kind kind, int64_t* v) {
  int ok = 0;
  switch (kind) {
    case Kind::kU8: {
      uint8_t x = 0;
      ok = MsgBufGetBytes(buf, &x, 1);
      *v = x;
      break;
    }
    case Kind::kU16: {
      uint16_t x = 0;
      ok = MsgBufGetU16(buf, &x);
      *v = x;
      break;
    }
    case Kind::kU32: {
      uint32_t x = 0;
      ok = MsgBufGetU32(buf, &x);
      *v = x;
      break;
    }
    case Kind::kI32: {
      int32_t x = 0;
      ok = MsgBufGetI32(buf, &x);
      *v = x;
      break;
    }
    case Kind::kI64:
      ok = MsgBufGetI64(buf, v);
      break;
  }
  return ok;
}

struct NumberCase {
  const char* name;
  Kind kind;
  int64_t value;
  Bytes wire;
};

const NumberCase kNumbers[] = {
    {"u8", Kind::kU8, 0xAB, {0xAB}},
    {"u16", Kind::kU16, 0x1234, {0x12, 0x34}},
    {"u16 high bit", Kind::kU16, 0xFFFE, {0xFF, 0xFE}},
    {"u32", Kind::kU32, 0xDEADBEEF, {0xDE, 0xAD, 0xBE, 0xEF}},
    {"i32 negative", Kind::kI32, -2, {0xFF, 0xFF, 0xFF, 0xFE}},
    {"i32 small", Kind::kI32, 0x102, {0x00, 0x00, 0x01, 0x02}},
    {"i64 01..08", Kind::kI64, 0x0102030405060708, {1, 2, 3, 4, 5, 6, 7, 8}},
    {"i64 high word matters",
     Kind::kI64,
     int64_t{-4294967296},  // 0xFFFFFFFF00000000
     {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}},
};

TEST(MsgBuf, NumbersAreBigEndianBothWays) {
  for (const NumberCase& c : kNumbers) {
    SCOPED_TRACE(c.name);
    BufPtr out = NewBuf();
    ASSERT_EQ(Put(out.get(), c.kind, c.value), 1);
    EXPECT_EQ(Written(out.get()), c.wire);

    BufPtr in = BufFrom(c.wire);
    int64_t v = 0;
    ASSERT_EQ(Get(in.get(), c.kind, &v), 1);
    EXPECT_EQ(v, c.value);
    EXPECT_EQ(MsgBufAllRead(in.get()), 1);
  }
}

TEST(MsgBuf, U16PutKeepsTheLow16Bits) {
  BufPtr out = NewBuf();
  ASSERT_EQ(MsgBufPutU16(out.get(), 0x12345678), 1);
  EXPECT_EQ(Written(out.get()), (Bytes{0x56, 0x78}));
}

TEST(MsgBuf, ShortReadFailsAndLeavesThePosition) {
  for (const NumberCase& c : kNumbers) {
    SCOPED_TRACE(c.name);
    // One byte already consumed, then one byte fewer than the number needs.
    Bytes wire = {0x99};
    wire.insert(wire.end(), c.wire.begin(), c.wire.end() - 1);
    BufPtr in = BufFrom(wire);
    uint8_t first;
    ASSERT_EQ(MsgBufGetBytes(in.get(), &first, 1), 1);
    TlsSlotSet(0);
    int64_t v = 0;
    EXPECT_EQ(Get(in.get(), c.kind, &v), 0);
    EXPECT_EQ(TlsSlotGet(), kWireErrBadRead);
    EXPECT_EQ(in->read_pos, 1u);
  }
  BufPtr in = BufFrom({1, 2, 3});
  uint8_t raw[4];
  EXPECT_EQ(MsgBufGetBytes(in.get(), raw, 4), 0);
  EXPECT_EQ(in->read_pos, 0u);
}

TEST(MsgBuf, AllReadFailsWhileABytesRemains) {
  BufPtr in = BufFrom({0, 0, 0, 7, 0xEE});
  int32_t v;
  ASSERT_EQ(MsgBufGetI32(in.get(), &v), 1);
  TlsSlotSet(0);
  EXPECT_EQ(MsgBufAllRead(in.get()), 0);
  EXPECT_EQ(TlsSlotGet(), kWireErrBadRead);
  uint8_t last;
  ASSERT_EQ(MsgBufGetBytes(in.get(), &last, 1), 1);
  EXPECT_EQ(MsgBufAllRead(in.get()), 1);
}

TEST(MsgBuf, GrowthDoublesUntilTheRequestFitsInOneStep) {
  struct {
    uint32_t n;
    uint32_t capacity;
  } cases[] = {{1024, 1024}, {1025, 2048}, {5000, 8192}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.n);
    BufPtr buf = NewBuf();
    ASSERT_EQ(buf->capacity, 1024u);
    Bytes data(c.n);
    for (uint32_t i = 0; i < c.n; ++i) data[i] = static_cast<uint8_t>(i * 7);
    // The second allocation from now would fail: growing must take one.
    MemFailAfter(2);
    EXPECT_EQ(MsgBufPutBytes(buf.get(), data.data(), c.n), 1);
    MemFailAfter(0);
    EXPECT_EQ(buf->capacity, c.capacity);
    EXPECT_EQ(Written(buf.get()), data);
  }
}

TEST(MsgBuf, PutThatCannotGrowFailsAndWritesNothing) {
  for (const NumberCase& c : kNumbers) {
    SCOPED_TRACE(c.name);
    BufPtr buf = NewBuf();
    Bytes fill(1024, 0x55);
    ASSERT_EQ(MsgBufPutBytes(buf.get(), fill.data(), 1024), 1);
    MemFailAfter(1);
    TlsSlotSet(0);
    EXPECT_EQ(Put(buf.get(), c.kind, c.value), 0);
    MemFailAfter(0);
    EXPECT_EQ(TlsSlotGet(), kWireErrCannotGrow);
    EXPECT_EQ(buf->write_len, 1024u);
    EXPECT_EQ(buf->capacity, 1024u);
  }
  BufPtr buf = NewBuf();
  Bytes big(2000);
  MemFailAfter(1);
  EXPECT_EQ(MsgBufPutBytes(buf.get(), big.data(), 2000), 0);
  MemFailAfter(0);
  EXPECT_EQ(TlsSlotGet(), kWireErrNoMemory);
  EXPECT_EQ(buf->write_len, 0u);
  EXPECT_EQ(buf->capacity, 1024u);
}

TEST(MsgBuf, CreateFailsCleanlyWhenEitherAllocationFails) {
  for (long n : {1L, 2L}) {
    MemFailAfter(n);
    TlsSlotSet(0);
    EXPECT_EQ(MsgBufCreate(), nullptr);
    MemFailAfter(0);
    EXPECT_EQ(TlsSlotGet(), kWireErrNoMemory);
  }
  MsgBufFree(nullptr);
}

TEST(MsgBuf, StringsPack) {
  struct {
    const char* s;
    Bytes wire;
  } cases[] = {
      {nullptr, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"", {0, 0, 0, 0}},
      {"abc", {0, 0, 0, 3, 'a', 'b', 'c'}},
  };
  for (const auto& c : cases) {
    BufPtr out = NewBuf();
    ASSERT_EQ(MsgBufPutString(out.get(), c.s), 1);
    EXPECT_EQ(Written(out.get()), c.wire);
  }
}

TEST(MsgBuf, StringsUnpack) {
  struct {
    const char* name;
    Bytes wire;
    int ok;
    const char* text;  // null: no string handed out
  } cases[] = {
      {"empty is an allocated empty text", {0, 0, 0, 0}, 1, ""},
      {"-1 is null", {0xFF, 0xFF, 0xFF, 0xFF}, 1, nullptr},
      {"other negatives are null", {0xFF, 0xFF, 0xFF, 0xFB}, 1, nullptr},
      {"text", {0, 0, 0, 3, 'a', 'b', 'c'}, 1, "abc"},
      {"fewer bytes than the length", {0, 0, 0, 4, 'a', 'b', 'c'}, 0, nullptr},
      {"absurd length", {0x7F, 0xFF, 0xFF, 0xFF, 'a'}, 0, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BufPtr in = BufFrom(c.wire);
    char* out = reinterpret_cast<char*>(1);
    TlsSlotSet(0);
    EXPECT_EQ(MsgBufGetString(in.get(), &out), c.ok);
    if (c.text == nullptr) {
      EXPECT_EQ(out, nullptr);
    } else {
      ASSERT_NE(out, nullptr);
      EXPECT_STREQ(out, c.text);
    }
    if (!c.ok) {
      EXPECT_EQ(TlsSlotGet(), kWireErrBadRead);
    }
    MemFree(out);
  }
}

TEST(MsgBuf, FixedFieldTakesAtMostSizeMinusOneBytes) {
  struct {
    const char* name;
    Bytes wire;
    int ok;
    const char* field;  // afterwards
  } cases[] = {
      {"size - 1 fits with its NUL", {0, 0, 0, 3, 'a', 'b', 'c'}, 1, "abc"},
      {"shorter", {0, 0, 0, 1, 'a'}, 1, "a"},
      {"empty", {0, 0, 0, 0}, 1, ""},
      {"size leaves no room for the NUL", {0, 0, 0, 4, 'a', 'b', 'c', 'd'}, 0, "zzz"},
      {"null leaves the field", {0xFF, 0xFF, 0xFF, 0xFF}, 1, "zzz"},
      {"bytes missing", {0, 0, 0, 2, 'a'}, 0, "zzz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BufPtr in = BufFrom(c.wire);
    char field[5] = "zzz";
    TlsSlotSet(0);
    EXPECT_EQ(MsgBufGetStringInto(in.get(), field, 4), c.ok);
    EXPECT_STREQ(field, c.field);
    EXPECT_EQ(field[4], '\0');  // nothing written past the field
    if (!c.ok) {
      EXPECT_EQ(TlsSlotGet(), kWireErrBadRead);
    }
  }
}

TEST(MsgBuf, ByteArraysBothWays) {
  const uint8_t two[] = {0xAA, 0xBB};
  struct {
    const void* p;
    int32_t n;
    Bytes wire;
  } puts[] = {
      {nullptr, 3, {0xFF, 0xFF, 0xFF, 0xFF}},
      {two, 0, {0xFF, 0xFF, 0xFF, 0xFF}},
      {two, 2, {0, 0, 0, 2, 0xAA, 0xBB}},
  };
  for (const auto& c : puts) {
    BufPtr out = NewBuf();
    ASSERT_EQ(MsgBufPutByteArray(out.get(), c.p, c.n), 1);
    EXPECT_EQ(Written(out.get()), c.wire);
  }

  struct {
    const char* name;
    Bytes wire;
    int ok;
    uint32_t length;
  } gets[] = {
      {"bytes", {0, 0, 0, 2, 0xAA, 0xBB}, 1, 2},
      {"zero is none", {0, 0, 0, 0}, 1, 0},
      {"negative is none", {0xFF, 0xFF, 0xFF, 0xF9}, 1, 0},
      {"fewer bytes than the length", {0, 0, 0, 5, 0xAA, 0xBB}, 0, 0},
  };
  for (const auto& c : gets) {
    SCOPED_TRACE(c.name);
    BufPtr in = BufFrom(c.wire);
    uint8_t* out = nullptr;
    uint32_t length = 99;
    EXPECT_EQ(MsgBufGetByteArray(in.get(), &out, &length), c.ok);
    EXPECT_EQ(length, c.length);
    EXPECT_EQ(out == nullptr, c.length == 0);
    if (out != nullptr) {
      EXPECT_EQ(std::memcmp(out, two, 2), 0);
    }
    MemFree(out);
  }
}

int GetU16Elem(MsgBuf* buf, uint16_t* v) {
  return MsgBufGetU16(buf, v);
}
int PutU16Elem(MsgBuf* buf, const uint16_t* v) {
  return MsgBufPutU16(buf, *v);
}

TEST(MsgBuf, ArraysPack) {
  const uint16_t values[] = {1, 0x0203};
  BufPtr out = NewBuf();
  ASSERT_EQ(MsgBufPutArray(out.get(), values, MsgBufPutElem<PutU16Elem>, 2, 2), 1);
  ASSERT_EQ(MsgBufPutArray(out.get(), values, MsgBufPutElem<PutU16Elem>, 2, 0), 1);
  ASSERT_EQ(MsgBufPutArray(out.get(), nullptr, MsgBufPutElem<PutU16Elem>, 2, 2), 1);
  EXPECT_EQ(Written(out.get()),
            (Bytes{0, 0, 0, 2, 0, 1, 2, 3, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(MsgBuf, ArraysUnpack) {
  struct {
    const char* name;
    Bytes wire;
    int ok;
    uint32_t count;
  } cases[] = {
      {"two elements", {0, 0, 0, 2, 0, 1, 2, 3}, 1, 2},
      {"-1 is absent", {0xFF, 0xFF, 0xFF, 0xFF}, 1, 0},
      {"0 is absent", {0, 0, 0, 0}, 1, 0},
      {"-2 is absent", {0xFF, 0xFF, 0xFF, 0xFE}, 1, 0},
      {"most negative is absent", {0x80, 0, 0, 0}, 1, 0},
      {"element cut short", {0, 0, 0, 2, 0, 1, 2}, 0, 0},
      // Refused before allocating: count * 480 bytes would be 1 TB.
      {"count beyond the bytes left", {0x7F, 0xFF, 0xFF, 0xFF, 0, 1, 2, 3}, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BufPtr in = BufFrom(c.wire);
    void* out = reinterpret_cast<void*>(1);
    uint32_t count = 99;
    TlsSlotSet(0);
    size_t size = c.wire[0] == 0x7F ? 480 : 2;
    EXPECT_EQ(MsgBufGetArray(in.get(), &out, MsgBufGetElem<GetU16Elem>, size, &count), c.ok);
    EXPECT_EQ(count, c.count);
    if (!c.ok) {
      EXPECT_EQ(TlsSlotGet(), kWireErrBadRead);
    }
    if (c.count == 0) {
      EXPECT_EQ(out, nullptr);
    } else {
      ASSERT_NE(out, nullptr);
      EXPECT_EQ(MsgBufArrayCount(out, 2), c.count);
      EXPECT_EQ(static_cast<uint16_t*>(out)[0], 1);
      EXPECT_EQ(static_cast<uint16_t*>(out)[1], 0x0203);
    }
    MemFree(out);
  }
}

// The array grows with the elements that decode and ends at exactly the count,
// which MsgBufArrayCount reads back from the block's size.
TEST(MsgBuf, ArraysGrowWithTheElementsThatDecode) {
  for (uint32_t n : {1u, 63u, 64u, 65u, 200u, 1000u}) {
    SCOPED_TRACE(n);
    Bytes wire = {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                  static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)};
    for (uint32_t i = 0; i < n; ++i) {
      wire.push_back(static_cast<uint8_t>(i >> 8));
      wire.push_back(static_cast<uint8_t>(i));
    }
    BufPtr in = BufFrom(wire);
    void* out = nullptr;
    uint32_t count = 0;
    ASSERT_EQ(MsgBufGetArray(in.get(), &out, MsgBufGetElem<GetU16Elem>, 2, &count), 1);
    EXPECT_EQ(count, n);
    EXPECT_EQ(MsgBufArrayCount(out, 2), n);
    EXPECT_EQ(static_cast<uint16_t*>(out)[n - 1], static_cast<uint16_t>(n - 1));
    MemFree(out);
  }
}

TEST(MsgBuf, ArrayAllocationFailureIsOutOfMemory) {
  BufPtr in = BufFrom({0, 0, 0, 1, 0, 1});
  void* out = nullptr;
  MemFailAfter(1);
  EXPECT_EQ(MsgBufGetArray(in.get(), &out, MsgBufGetElem<GetU16Elem>, 2), 0);
  MemFailAfter(0);
  EXPECT_EQ(TlsSlotGet(), kWireErrNoMemory);
  EXPECT_EQ(out, nullptr);
}

}  // namespace
