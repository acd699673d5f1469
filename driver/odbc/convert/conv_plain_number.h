// Reading and writing numbers as text for the conversion routines, the same
// in every process whatever locale the application has set: only plain
// decimal forms are read (no hex, no "inf" or "nan"), '.' is always the
// decimal point, and ranges are checked in 64 bits by the caller.
#pragma once

#include <cstddef>
#include <cstdint>

// An integer read the way a base-10 strtol reads it: leading white space,
// an optional sign, then decimal digits.
struct IntegerScan {
  bool converted;  // false when no digit was read; `end` is then the text itself
  bool overflow;   // more than 64 bits of magnitude; `magnitude` is then saturated
  bool negative;
  uint64_t magnitude;
  const char* end;  // the first character after the number
};
IntegerScan ScanInteger(const char* text);

// A number read the way strtod reads a decimal number: leading white space,
// an optional sign, digits with an optional point, an optional exponent.
struct RealScan {
  bool converted;     // false when no number starts the text; `end` is then the text itself
  bool out_of_range;  // too large or too small for a double
  double value;
  const char* end;
};
RealScan ScanReal(const char* text);

// Writes `value` to `digits` significant digits the way the general
// conversion of the Windows runtime does: fixed notation while the decimal
// exponent lies in -1 .. digits - 1, else "d.ddde+ddd" with at least three
// exponent digits; zeros at the end of the fraction are dropped, the point
// itself is kept ("1234.", "1.5e+020"). Returns the text's length; `size`
// must have room for 32 characters. Only for finite values.
size_t FormatGeneral(double value, int digits, char* out, size_t size);
