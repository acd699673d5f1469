#include "driver/odbc/convert/conv_decimal.h"

#include <algorithm>
#include <cstring>

#include "driver/odbc/convert/conv_types.h"

namespace {

enum ParseState { kStart, kLeadingZeros, kInteger, kFraction, kExponent, kTrailingBlanks };

// Far beyond any precision, small enough that digit counts plus the
// exponent never overflow.
constexpr int32_t kExponentCap = 1000000;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

int32_t ParseDecimalText(const char* text, size_t length, DecimalRecord* record) {
  *record = DecimalRecord{};
  if (length == 0 || text[0] == '\0') return kConvInvalidText;
  ParseState state = kStart;
  bool exponent_negative = false;
  for (size_t i = 0; i < length && text[i] != '\0';) {
    char c = text[i];
    if (c == ' ') {
      if (state >= kInteger) state = kTrailingBlanks;
    } else if (c == '+') {
      if (state != kStart && state != kExponent) return kConvInvalidText;
    } else if (c == '-') {
      if (state == kStart) {
        record->negative = 1;
      } else if (state == kExponent) {
        exponent_negative = true;
      } else {
        return kConvInvalidText;
      }
    } else if (c == '.') {
      if (state >= kFraction) return kConvInvalidText;
      state = kFraction;
    } else if (IsDigit(c)) {
      if (state == kStart || state == kLeadingZeros) {
        if (c == '0') {
          state = kLeadingZeros;
          ++i;
        } else {
          state = kInteger;  // read again as an integer digit
        }
        continue;
      }
      if (state == kInteger) {
        if (record->integer_count++ == 0) record->integer_digits = text + i;
      } else if (state == kFraction) {
        if (record->fraction_count++ == 0) record->fraction_digits = text + i;
      } else if (state == kExponent) {
        record->exponent = std::min(record->exponent * 10 + (c - '0'), kExponentCap);
      } else {
        return kConvInvalidText;
      }
    } else if (c == 'E' || c == 'e') {
      if (state == kStart || state > kFraction) return kConvInvalidText;
      state = kExponent;
    } else {
      return kConvInvalidText;
    }
    ++i;
  }
  if (exponent_negative) record->exponent = -record->exponent;
  while (record->fraction_count > 0 && record->fraction_digits[record->fraction_count - 1] == '0') {
    --record->fraction_count;
  }
  if (record->fraction_count == 0) {
    while (record->integer_count > 0 && record->integer_digits[record->integer_count - 1] == '0') {
      --record->integer_count;
      ++record->exponent;
    }
  }
  // Counts stay below the text's length; keep the exponent where the sums
  // below cannot overflow.
  record->exponent = std::clamp(record->exponent, -kExponentCap, kExponentCap);
  return kConvOk;
}

int32_t RescaleDecimal(DecimalRecord* record, int32_t target_length, int32_t precision,
                       int16_t scale) {
  // Digits before the point of the value, and all digits; 64 bits so that
  // no precision or length a caller passes can overflow the comparisons.
  const int64_t e = static_cast<int64_t>(record->integer_count) + record->exponent;
  const int64_t total = static_cast<int64_t>(record->integer_count) + record->fraction_count;
  const int64_t s = scale;
  int32_t result = kConvOk;

  int64_t write_integer = 0;
  int64_t zeros_after_integer = 1;  // the integer part is a single '0'
  if (e != 0 && ((s > 0 && e >= 0) || (s <= 0 && s + e >= 0))) {
    if (e > precision - std::max<int64_t>(s, 0) || target_length <= 0 ||
        e > static_cast<int64_t>(target_length) - 1) {
      return kConvOutOfRange;
    }
    write_integer = std::min(e, total);
    zeros_after_integer = e - write_integer;
  }

  int64_t write_fraction = 0;
  int64_t zeros_after_point = 0;
  if (s > 0 && e >= 0) {
    int64_t left = total - write_integer;
    if (left > s) {
      write_fraction = s;
      result = kConvTruncated;
    } else {
      write_fraction = left;
    }
  } else if (s > 0 && e < 0 && -e <= s) {
    zeros_after_point = -e;
    write_fraction = s + e;
  }
  if (total > write_integer + write_fraction) result = kConvTruncated;

  // Every count is now bounded by the target's length or the scale.
  record->write_integer = static_cast<int32_t>(write_integer);
  record->zeros_after_integer = static_cast<int32_t>(zeros_after_integer);
  record->write_fraction = static_cast<int32_t>(write_fraction);
  record->zeros_after_point = static_cast<int32_t>(zeros_after_point);
  return result;
}

int32_t FormatDecimal(const DecimalRecord& record, char* text, size_t size) {
  size_t needed =
      static_cast<size_t>(record.negative) + static_cast<size_t>(record.write_integer) +
      static_cast<size_t>(record.zeros_after_integer) + (record.write_fraction > 0 ? 1 : 0) +
      static_cast<size_t>(record.zeros_after_point) + static_cast<size_t>(record.write_fraction);
  if (needed + 1 > size) return kConvOutOfRange;

  // One walk through the integer digits, then the fraction digits, then
  // zeros once both are used up.
  int32_t walked = 0;
  auto next_digit = [&record, &walked]() {
    int32_t at = walked++;
    if (at < record.integer_count) return record.integer_digits[at];
    at -= record.integer_count;
    if (at < record.fraction_count) return record.fraction_digits[at];
    return '0';
  };
  char* out = text;
  if (record.negative != 0) *out++ = '-';
  for (int32_t i = 0; i < record.write_integer; ++i) *out++ = next_digit();
  out = std::fill_n(out, record.zeros_after_integer, '0');
  if (record.write_fraction > 0) *out++ = '.';
  out = std::fill_n(out, record.zeros_after_point, '0');
  for (int32_t i = 0; i < record.write_fraction; ++i) *out++ = next_digit();
  *out = '\0';
  return static_cast<int32_t>(out - text);
}

bool IsZeroFractionText(const char* text) {
  if (*text == '.') {
    for (const char* p = text + 1; *p != '\0'; ++p) {
      if (*p != '0' && *p != ' ') return false;
    }
    return true;
  }
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p != ' ') return false;
  }
  return true;
}
