// Binary sources to character text and to binary (to decimal, real and
// double they take the text and copy routines).
#include <cstdint>
#include <cstring>

#include "driver/odbc/convert/conv_routines.h"

int32_t BinaryToHexText(const void* source, int16_t, int32_t source_length, void* target, int16_t,
                        int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const auto* bytes = static_cast<const uint8_t*>(source);
  size_t count = source_length > 0 ? static_cast<size_t>(source_length) : 0;
  size_t room = target != nullptr && target_length > 0 ? static_cast<size_t>(target_length) : 0;
  char* out = static_cast<char*>(target);
  size_t at = 0;
  // A pair goes in only while the pair and a NUL after it still fit.
  for (size_t i = 0; i < count && at + 3 <= room; ++i) {
    out[at++] = kDigits[bytes[i] >> 4];
    out[at++] = kDigits[bytes[i] & 0x0F];
  }
  if (room > 0) out[at] = '\0';
  // Twice a 32-bit length may not fit one: the length then says "more".
  *out_length = count * 2 > INT32_MAX ? INT32_MAX : static_cast<int32_t>(count * 2);
  return count > 0 && count * 2 >= room ? kConvTruncated : kConvOk;
}

int32_t BinaryCopy(const void* source, int16_t, int32_t source_length, void* target, int16_t,
                   int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  size_t count = source_length > 0 ? static_cast<size_t>(source_length) : 0;
  size_t room = target != nullptr && target_length > 0 ? static_cast<size_t>(target_length) : 0;
  size_t copied = count < room ? count : room;
  if (copied > 0) std::memcpy(target, source, copied);
  *out_length = static_cast<int32_t>(count);
  return count > room ? kConvTruncated : kConvOk;
}
