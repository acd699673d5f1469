#include "driver/odbc/statement/param_bigint.h"

#include <sqlext.h>

#include <charconv>
#include <cstring>

bool IsBigIntParamType(int16_t c_type) {
  return c_type == SQL_C_SBIGINT || c_type == SQL_C_UBIGINT;
}

uint32_t BigIntParamText(const void* value, int16_t c_type, char (&text)[kBigIntTextSize]) {
  uint64_t bits = 0;
  if (value != nullptr) std::memcpy(&bits, value, sizeof bits);
  std::to_chars_result r =
      c_type == SQL_C_UBIGINT
          ? std::to_chars(text, text + kBigIntTextSize - 1, bits)
          : std::to_chars(text, text + kBigIntTextSize - 1, static_cast<int64_t>(bits));
  *r.ptr = '\0';
  return static_cast<uint32_t>(r.ptr - text);
}
