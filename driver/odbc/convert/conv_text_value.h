// Text read as a number, shared by the routines whose source is character
// or decimal text and by those that write numbers through decimal text.
#pragma once

#include <cstddef>
#include <cstdint>

// The text as a double: 0, kConvOutOfRange beyond the double range, kConvInvalidText when it is not
// a number ("1E999" and "-1E999", in any case, are the infinities).
int32_t TextToDoubleValue(const char* text, double* value);
// The text as a whole number within the signed (or, with `is_unsigned`,
// the unsigned) 32-bit range: 0, kConvTruncated when a fraction above 0.00001 was
// dropped, kConvOutOfRange out of range, kConvInvalidText not a number.
int32_t TextToWholeValue(const char* text, bool is_unsigned, int64_t* value);
// Numeric text rescaled to a decimal target and copied into it, cut to the
// target's length (the engine behind every conversion to the decimal
// class). At most `length` characters of `text` are read.
int32_t NumericTextToDecimal(const char* text, size_t length, void* target, int32_t target_length,
                             int32_t precision, int16_t scale, int32_t* out_length);
