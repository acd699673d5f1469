// Real and double sources to text, decimal text, bit, the integer classes
// and each other. A real is widened to double and takes the double
// routine, which reads the source class where the two differ.
#include <cfloat>
#include <cmath>
#include <cstring>

#include "driver/odbc/convert/conv_plain_number.h"
#include "driver/odbc/convert/conv_routines.h"
#include "driver/odbc/convert/conv_text_value.h"
#include "driver/odbc/convert/conv_write.h"

namespace {

double ReadFloating(const void* source, int16_t source_class) {
  if (source_class == kConvReal) return ReadSourceValue<float>(source);
  return ReadSourceValue<double>(source);
}

// Significant digits written for each source class.
int DigitsOf(int16_t source_class) {
  return source_class == kConvReal ? 7 : 15;
}

// The value to the target's digits: the runtime's general form without a
// point at the end; a real's exponent has two digits where it can
// ("1.5e+038" -> "1.5e+38").
size_t FloatText(double value, int16_t source_class, char* text, size_t size) {
  size_t length = FormatGeneral(value, DigitsOf(source_class), text, size);
  if (length > 0 && text[length - 1] == '.') text[--length] = '\0';
  char* exponent = std::strchr(text, 'e');
  if (source_class == kConvReal && exponent != nullptr && std::strlen(exponent + 2) == 3 &&
      exponent[2] == '0') {
    std::memmove(exponent + 2, exponent + 3, std::strlen(exponent + 3) + 1);
    --length;
  }
  return length;
}

// Truncates toward zero into [low, high] (unsigned targets: refuses a
// value below 0 or above `high` and rounds down): 0, kConvTruncated when a fraction was
// dropped, kConvOutOfRange out of range.
int32_t FloatToWhole(double value, bool is_unsigned, double low, double high, int64_t* whole) {
  double truncated = std::trunc(value);
  if (is_unsigned) {
    if (!(value >= 0 && value <= high)) return kConvOutOfRange;
  } else if (!(truncated >= low && truncated <= high)) {
    return kConvOutOfRange;
  }
  *whole = static_cast<int64_t>(truncated);
  return truncated != value ? kConvTruncated : kConvOk;
}

template <typename T>
int32_t FloatToInteger(const void* source, int16_t source_class, bool is_unsigned, double low,
                       double high, void* target, int16_t target_class, int32_t target_length,
                       int32_t* out_length) {
  int64_t whole = 0;
  int32_t result = FloatToWhole(ReadFloating(source, source_class), is_unsigned, low, high, &whole);
  if (result != kConvOk && result != kConvTruncated) return result;
  int32_t written =
      WriteFixedValue(static_cast<T>(whole), target, target_class, target_length, out_length);
  return written != kConvOk ? written : result;
}

}  // namespace

int32_t DoubleToText(const void* source, int16_t source_class, int32_t, void* target, int16_t,
                     int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  double value = ReadFloating(source, source_class);
  if (std::isnan(value)) return kConvOutOfRange;
  char text[48];
  size_t length;
  size_t must_fit;
  if (std::isinf(value)) {
    std::strcpy(text, value > 0 ? "1E999" : "-1E999");
    length = std::strlen(text);
    must_fit = length;
  } else {
    length = FloatText(value, source_class, text, sizeof text);
    // The digits before the point must all be there; so must every
    // character of an exponent form.
    const char* point = std::strchr(text, '.');
    must_fit = std::strchr(text, 'e') != nullptr || point == nullptr
                   ? length
                   : static_cast<size_t>(point - text);
  }
  if (target_length <= 0 || static_cast<size_t>(target_length) <= must_fit) {
    return kConvOutOfRange;
  }
  *out_length = static_cast<int32_t>(length);
  return WriteTextCut(text, length, target, target_length);
}

int32_t DoubleToDecimal(const void* source, int16_t source_class, int32_t, void* target, int16_t,
                        int32_t target_length, int32_t precision, int16_t scale,
                        int32_t* out_length) {
  double value = ReadFloating(source, source_class);
  // No decimal text holds an infinity.
  if (!std::isfinite(value)) return kConvOutOfRange;
  char text[48];
  size_t length = FormatGeneral(value, DigitsOf(source_class), text, sizeof text);
  return NumericTextToDecimal(text, length, target, target_length, precision, scale, out_length);
}

int32_t DoubleToBit(const void* source, int16_t source_class, int32_t, void* target,
                    int16_t target_class, int32_t target_length, int32_t, int16_t,
                    int32_t* out_length) {
  double value = ReadFloating(source, source_class);
  if (!(value >= 0 && value < 2)) return kConvOutOfRange;
  double epsilon = source_class == kConvReal ? FLT_EPSILON : DBL_EPSILON;
  int32_t written =
      WriteFixedValue(static_cast<uint8_t>(value), target, target_class, target_length, out_length);
  if (written != kConvOk) return written;
  bool exact = value < epsilon || (value > 1 - epsilon && value < 1 + epsilon);
  return exact ? kConvOk : kConvTruncated;
}

int32_t DoubleToTinyInt(const void* source, int16_t source_class, int32_t, void* target,
                        int16_t target_class, int32_t target_length, int32_t, int16_t,
                        int32_t* out_length) {
  return FloatToInteger<int8_t>(source, source_class, false, -128, 127, target, target_class,
                                target_length, out_length);
}

int32_t DoubleToUTinyInt(const void* source, int16_t source_class, int32_t, void* target,
                         int16_t target_class, int32_t target_length, int32_t, int16_t,
                         int32_t* out_length) {
  return FloatToInteger<uint8_t>(source, source_class, true, 0, 255, target, target_class,
                                 target_length, out_length);
}

int32_t DoubleToShort(const void* source, int16_t source_class, int32_t, void* target,
                      int16_t target_class, int32_t target_length, int32_t, int16_t,
                      int32_t* out_length) {
  return FloatToInteger<int16_t>(source, source_class, false, -32768, 32767, target, target_class,
                                 target_length, out_length);
}

int32_t DoubleToUShort(const void* source, int16_t source_class, int32_t, void* target,
                       int16_t target_class, int32_t target_length, int32_t, int16_t,
                       int32_t* out_length) {
  return FloatToInteger<uint16_t>(source, source_class, true, 0, 65535, target, target_class,
                                  target_length, out_length);
}

int32_t DoubleToLong(const void* source, int16_t source_class, int32_t, void* target,
                     int16_t target_class, int32_t target_length, int32_t, int16_t,
                     int32_t* out_length) {
  return FloatToInteger<int32_t>(source, source_class, false, -2147483648.0, 2147483647.0, target,
                                 target_class, target_length, out_length);
}

int32_t DoubleToULong(const void* source, int16_t source_class, int32_t, void* target,
                      int16_t target_class, int32_t target_length, int32_t, int16_t,
                      int32_t* out_length) {
  return FloatToInteger<uint32_t>(source, source_class, true, 0, 4294967295.0, target, target_class,
                                  target_length, out_length);
}

int32_t RealToDouble(const void* source, int16_t, int32_t, void* target, int16_t target_class,
                     int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  return WriteFixedValue(static_cast<double>(ReadSourceValue<float>(source)), target, target_class,
                         target_length, out_length);
}

int32_t DoubleToReal(const void* source, int16_t source_class, int32_t, void* target,
                     int16_t target_class, int32_t target_length, int32_t, int16_t,
                     int32_t* out_length) {
  double value = ReadFloating(source, source_class);
  if (std::isfinite(value) && std::fabs(value) > FLT_MAX) return kConvOutOfRange;
  return WriteFixedValue(static_cast<float>(value), target, target_class, target_length,
                         out_length);
}
