// Field helpers the record codecs share: signed 16-bit numbers and the
// fixed-capacity character fields of the records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/tls_slot.h"
#include "wire/msg_buf.h"

inline int XdrGetI16(MsgBuf* buf, int16_t* out) {
  uint16_t v;
  if (!MsgBufGetU16(buf, &v)) return 0;
  *out = static_cast<int16_t>(v);
  return 1;
}

inline int XdrPutI16(MsgBuf* buf, int16_t value) {
  return MsgBufPutU16(buf, static_cast<uint16_t>(value));
}

// A fixed field receives a string of at most size - 1 bytes; a null string
// leaves it as it was.
inline int XdrGetField(MsgBuf* buf, char* field, size_t size) {
  return MsgBufGetStringInto(buf, field, static_cast<uint32_t>(size));
}

// A field travels as a string of the bytes before its NUL. A field without
// a NUL cannot have been filled by this layer's rules, so it is not sent.
inline int XdrPutField(MsgBuf* buf, const char* field, size_t size) {
  size_t n = strnlen(field, size);
  if (n == size) {
    TlsSlotSet(kWireErrCannotGrow);
    return 0;
  }
  if (!MsgBufPutI32(buf, static_cast<int32_t>(n))) return 0;
  return MsgBufPutBytes(buf, field, static_cast<uint32_t>(n));
}

// A byte array of n bytes; more than its i32 length can tell is not sent.
inline int XdrPutBytes(MsgBuf* buf, const void* p, uint32_t n) {
  if (n > INT32_MAX) {
    TlsSlotSet(kWireErrCannotGrow);
    return 0;
  }
  return MsgBufPutByteArray(buf, p, static_cast<int32_t>(n));
}

template <size_t N>
int XdrGetField(MsgBuf* buf, char (&field)[N]) {
  return XdrGetField(buf, field, N);
}

template <size_t N>
int XdrPutField(MsgBuf* buf, const char (&field)[N]) {
  return XdrPutField(buf, field, N);
}
