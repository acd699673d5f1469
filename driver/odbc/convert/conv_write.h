// How the conversion routines read their source value and write into the
// application's buffer: fixed-size values only where the buffer has room,
// text always cut to the buffer and NUL-terminated when it has any room.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "driver/odbc/convert/conv_types.h"

// The source value of a fixed-size class (the buffers need not be aligned).
template <typename T>
T ReadSourceValue(const void* source) {
  T value;
  std::memcpy(&value, source, sizeof value);
  return value;
}

// Whether a fixed-size value of `size` bytes fits the target. A binary
// target's length is always its room. For the other classes the length is
// the ODBC buffer length, which applications may leave at 0 for fixed-size
// types; a positive length below the size is a buffer known to be short.
inline bool FixedTargetFits(const void* target, int16_t target_class, int32_t target_length,
                            size_t size) {
  if (target == nullptr) return false;
  if (target_class == kConvBinary) {
    return target_length >= 0 && static_cast<size_t>(target_length) >= size;
  }
  return target_length <= 0 || static_cast<size_t>(target_length) >= size;
}

// Writes one fixed-size value: 0, or kConvOutOfRange when the target has no room for it.
template <typename T>
int32_t WriteFixedValue(T value, void* target, int16_t target_class, int32_t target_length,
                        int32_t* out_length) {
  if (!FixedTargetFits(target, target_class, target_length, sizeof value)) {
    return kConvOutOfRange;
  }
  std::memcpy(target, &value, sizeof value);
  *out_length = static_cast<int32_t>(sizeof value);
  return kConvOk;
}

// Copies `length` characters and a NUL when they fit in `target_length`
// bytes (0); else as many as fit before a NUL (kConvTruncated; nothing at all for a
// length of 0).
inline int32_t WriteTextCut(const char* text, size_t length, void* target, int32_t target_length) {
  if (target == nullptr || target_length <= 0) return kConvTruncated;
  char* out = static_cast<char*>(target);
  if (length < static_cast<size_t>(target_length)) {
    std::memcpy(out, text, length);
    out[length] = '\0';
    return kConvOk;
  }
  size_t kept = static_cast<size_t>(target_length) - 1;
  std::memcpy(out, text, kept);
  out[kept] = '\0';
  return kConvTruncated;
}
