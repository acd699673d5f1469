// The decimal text engine: numeric text is read into a record of digit runs
// and an exponent, rescaled to a target's precision and scale, and written
// back as plain decimal text. Digits beyond the scale are dropped, never
// rounded.
#pragma once

#include <cstddef>
#include <cstdint>

struct DecimalRecord {
  const char* integer_digits;  // first significant integer digit in the text
  int32_t integer_count;
  const char* fraction_digits;  // first fraction digit
  int32_t fraction_count;
  int32_t exponent;
  int32_t negative;  // 1 when the text had a leading minus
  // What FormatDecimal writes, set by RescaleDecimal.
  int32_t write_integer;        // integer digits
  int32_t zeros_after_integer;  // zeros after them
  int32_t write_fraction;       // fraction digits
  int32_t zeros_after_point;    // zeros right after the point, before the fraction digits
};

// The longest text FormatDecimal writes, without its NUL.
constexpr size_t kDecimalTextMax = 127;

// Reads at most `length` characters of `text` (stopping early at a NUL) into
// `record`; the record points into the text. 0, or kConvInvalidText for an empty text or
// one that is no number. A text of only a sign, a point or zeros is valid
// and has no digits.
int32_t ParseDecimalText(const char* text, size_t length, DecimalRecord* record);
// Decides how much of the value to write for a target of `target_length`
// bytes, `precision` and `scale`: 0, kConvTruncated when digits are dropped, kConvOutOfRange when
// the integer part does not fit.
int32_t RescaleDecimal(DecimalRecord* record, int32_t target_length, int32_t precision,
                       int16_t scale);
// Writes the rescaled value with its NUL into `text` of `size` bytes and
// returns its length; kConvOutOfRange when it would not fit.
int32_t FormatDecimal(const DecimalRecord& record, char* text, size_t size);
// True when what is left of a number's text is empty, blanks only, or a
// point followed by only zeros and blanks.
bool IsZeroFractionText(const char* text);
