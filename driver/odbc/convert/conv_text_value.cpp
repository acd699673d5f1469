#include "driver/odbc/convert/conv_text_value.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "driver/odbc/convert/conv_decimal.h"
#include "driver/odbc/convert/conv_plain_number.h"
#include "driver/odbc/convert/conv_types.h"
#include "driver/odbc/convert/conv_write.h"

namespace {

// Dropped fractions up to this are taken for the noise of a printed double.
constexpr double kFractionNoise = 0.00001;

bool EqualsIgnoringCase(const char* text, const char* word) {
  for (; *word != '\0'; ++text, ++word) {
    char c = *text;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != *word) return false;
  }
  return *text == '\0';
}

}  // namespace

int32_t TextToDoubleValue(const char* text, double* value) {
  DecimalRecord record;
  int32_t result = ParseDecimalText(text, std::strlen(text), &record);
  if (result != kConvOk) return result;
  if (EqualsIgnoringCase(text, "1E999")) {
    *value = std::numeric_limits<double>::infinity();
    return kConvOk;
  }
  if (EqualsIgnoringCase(text, "-1E999")) {
    *value = -std::numeric_limits<double>::infinity();
    return kConvOk;
  }
  RealScan scan = ScanReal(text);
  // Blanks, a lone sign or a lone point hold no number to convert.
  if (!scan.converted) return kConvInvalidText;
  if (scan.out_of_range) return kConvOutOfRange;
  if (*scan.end != '\0' && !(*scan.end == ' ' && IsZeroFractionText(scan.end))) {
    return kConvInvalidText;
  }
  *value = scan.value;
  return kConvOk;
}

int32_t TextToWholeValue(const char* text, bool is_unsigned, int64_t* value) {
  IntegerScan integer = ScanInteger(text);
  if (integer.converted) {
    if (integer.overflow) return kConvOutOfRange;
    if (is_unsigned) {
      // A minus sign does not wrap into a large unsigned value.
      if (integer.negative && integer.magnitude != 0) return kConvOutOfRange;
      if (integer.magnitude > std::numeric_limits<uint32_t>::max()) return kConvOutOfRange;
    } else {
      uint64_t limit = integer.negative ? 2147483648u : 2147483647u;
      if (integer.magnitude > limit) return kConvOutOfRange;
    }
    if (IsZeroFractionText(integer.end)) {
      int64_t magnitude = static_cast<int64_t>(integer.magnitude);
      *value = integer.negative ? -magnitude : magnitude;
      return kConvOk;
    }
  }

  // A fraction or an exponent: read the whole text as a number.
  RealScan real = ScanReal(text);
  if (!real.converted) return kConvInvalidText;
  if (real.out_of_range) return kConvOutOfRange;
  if (!IsZeroFractionText(real.end)) return kConvInvalidText;
  if (is_unsigned) {
    if (real.value < 0 || real.value > 4294967295.0) return kConvOutOfRange;
  } else if (std::fabs(real.value) > 2147483647.0) {
    return kConvOutOfRange;
  }
  double whole = std::trunc(real.value);
  *value = static_cast<int64_t>(whole);
  return std::fabs(real.value - whole) > kFractionNoise ? kConvTruncated : kConvOk;
}

int32_t NumericTextToDecimal(const char* text, size_t length, void* target, int32_t target_length,
                             int32_t precision, int16_t scale, int32_t* out_length) {
  DecimalRecord record;
  int32_t result = ParseDecimalText(text, length, &record);
  if (result != kConvOk) return result;
  result = RescaleDecimal(&record, target_length, precision, scale);
  if (result != kConvOk && result != kConvTruncated) return result;
  char work[kDecimalTextMax + 1];
  int32_t written = FormatDecimal(record, work, sizeof work);
  if (written < 0) return written;
  *out_length = written;
  int32_t copied = WriteTextCut(work, static_cast<size_t>(written), target, target_length);
  return copied != kConvOk ? copied : result;
}
