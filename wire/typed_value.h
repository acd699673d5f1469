// The typed value: the carrier of every data, option and information value
// on the wire. u16 C type, i32 length, then (unless the length is 0 or -1)
// the payload in the form its C type asks for.
#pragma once

#include <cstdint>

#include "wire/msg_buf.h"

// C type codes the wire knows.
constexpr int16_t kCTypeUTinyInt = -28;
constexpr int16_t kCTypeSTinyInt = -26;
constexpr int16_t kCTypeBit = -7;
constexpr int16_t kCTypeTinyInt = -6;
constexpr int16_t kCTypeULong = -18;
constexpr int16_t kCTypeSLong = -16;
constexpr int16_t kCTypeLong = 4;
constexpr int16_t kCTypeUShort = -17;
constexpr int16_t kCTypeSShort = -15;
constexpr int16_t kCTypeShort = 5;
constexpr int16_t kCTypeBinary = -2;
constexpr int16_t kCTypeChar = 1;
constexpr int16_t kCTypeFloat = 7;
constexpr int16_t kCTypeDouble = 8;
constexpr int16_t kCTypeDate = 9;
constexpr int16_t kCTypeTime = 10;
constexpr int16_t kCTypeTimestamp = 11;

// Bytes a value of a fixed-size C type takes in its C structure; 0 for
// character, binary and unknown C types.
int32_t CTypeFixedSize(int16_t c_type);

// Lengths with a meaning of their own.
constexpr int32_t kValueNull = -1;
constexpr int32_t kValueNullTerminated = -3;

// year, month, day, hour, minute, second, fraction (billionths): the
// application's timestamp layout, so values copy straight into its buffer.
struct LnaTimestamp {
  uint16_t year;
  uint16_t month;
  uint16_t day;
  uint16_t hour;
  uint16_t minute;
  uint16_t second;
  uint32_t fraction;
};

union LnaValuePayload {
  uint8_t u8;
  uint16_t u16;
  int32_t i32;
  uint32_t u32;
  float f32;
  double f64;
  uint16_t date[3];  // year, month, day or hour, minute, second
  LnaTimestamp timestamp;
  char* text;      // C type 1; an unpacked text is owned and NUL-terminated
  uint8_t* bytes;  // C type -2; the same slot as text
  unsigned char raw[16];
};

struct LnaTypedValue {
  int16_t c_type;
  int32_t length;
  LnaValuePayload value;
};

// Unpacks after zero-filling *v. A text or binary payload is allocated
// (MemFree, or XdrFreeTypedValue) and holds at least `length` bytes, texts
// also their NUL. Fails with 202 on an unknown C type or a payload shorter
// than the value's length; on failure nothing stays allocated.
int XdrTypedValue(MsgBuf* buf, LnaTypedValue* v);
// Packs; a text or binary payload is read from v->value.text / bytes, at
// most `length` bytes of it. Fails with 201 on an unknown C type.
int XdrPutTypedValue(MsgBuf* buf, const LnaTypedValue* v);
// Frees the text or binary payload of a value this layer unpacked.
void XdrFreeTypedValue(LnaTypedValue* v);

// Three u16: year, month, day or hour, minute, second.
int XdrDate(MsgBuf* buf, uint16_t* parts);
int XdrPutDate(MsgBuf* buf, const uint16_t* parts);
// Six u16 then the u32 fraction.
int XdrTimestamp(MsgBuf* buf, LnaTimestamp* ts);
int XdrPutTimestamp(MsgBuf* buf, const LnaTimestamp* ts);
