// Parameters bound as 64-bit integers (SQL_C_SBIGINT, SQL_C_UBIGINT): the
// wire has no 64-bit value, so they travel as their exact decimal text.
#pragma once

#include <cstdint>

// Room for the text of any 64-bit integer with its sign and NUL.
constexpr uint32_t kBigIntTextSize = 22;

bool IsBigIntParamType(int16_t c_type);
// The decimal text of the integer at `value` (signed or not by `c_type`)
// into `text`; its length. A null value gives "0".
uint32_t BigIntParamText(const void* value, int16_t c_type, char (&text)[kBigIntTextSize]);
