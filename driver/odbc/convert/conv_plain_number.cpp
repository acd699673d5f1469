#include "driver/odbc/convert/conv_plain_number.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

// The white space of the C locale, whatever locale is active.
bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

const char* SkipSpace(const char* text) {
  while (IsCSpace(*text)) ++text;
  return text;
}

}  // namespace

IntegerScan ScanInteger(const char* text) {
  IntegerScan scan = {false, false, false, 0, text};
  const char* p = SkipSpace(text);
  if (*p == '+' || *p == '-') {
    scan.negative = *p == '-';
    ++p;
  }
  if (!IsDigit(*p)) return scan;
  for (; IsDigit(*p); ++p) {
    uint64_t digit = static_cast<uint64_t>(*p - '0');
    if (scan.magnitude > (UINT64_MAX - digit) / 10) {
      scan.overflow = true;
      scan.magnitude = UINT64_MAX;
    } else if (!scan.overflow) {
      scan.magnitude = scan.magnitude * 10 + digit;
    }
  }
  scan.converted = true;
  scan.end = p;
  return scan;
}

RealScan ScanReal(const char* text) {
  RealScan scan = {false, false, 0.0, text};
  const char* p = SkipSpace(text);
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  // from_chars would also take a second sign, "inf" and "nan": only a digit,
  // or a point with a digit after it, may start the number.
  if (!IsDigit(*p) && !(*p == '.' && IsDigit(p[1]))) return scan;
  double value = 0.0;
  const char* last = p + std::strlen(p);
  std::from_chars_result read = std::from_chars(p, last, value, std::chars_format::general);
  if (read.ec == std::errc::invalid_argument) return scan;
  scan.converted = true;
  scan.out_of_range = read.ec == std::errc::result_out_of_range;
  scan.value = negative ? -value : value;
  scan.end = read.ptr;
  return scan;
}

namespace {

// The decimal exponent of the value as the runtime sees it: from its
// full-precision digits, before rounding to the digits written.
int FullPrecisionExponent(double value) {
  char probe[40];
  char* probe_end =
      std::to_chars(probe, probe + sizeof probe, value, std::chars_format::scientific, 16).ptr;
  const char* mark = std::find(probe, probe_end, 'e');
  int magnitude = 0;
  if (mark != probe_end) {
    const char* exponent_text = mark + 1;
    if (*exponent_text == '+') ++exponent_text;  // from_chars takes a minus sign only
    std::from_chars(exponent_text, probe_end, magnitude);
  }
  return magnitude;
}

}  // namespace

size_t FormatGeneral(double value, int digits, char* out, size_t size) {
  // One conversion to the digits written. Its exponent is the one the
  // runtime goes by unless the rounding carried into the next power of ten
  // (the digits are then 1 and zeros only; so they are for an exact power).
  char text[64];
  char* end =
      std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, digits - 1).ptr;
  *end = '\0';
  char* mark = std::strchr(text, 'e');
  const char* first = text[0] == '-' ? text + 1 : text;
  int magnitude = 0;
  {
    const char* exponent_text = mark + 1;
    if (*exponent_text == '+') ++exponent_text;
    std::from_chars(exponent_text, end, magnitude);
  }
  bool one_and_zeros = *first == '1' && std::all_of(first + 1, static_cast<const char*>(mark),
                                                    [](char c) { return c == '0' || c == '.'; });
  if (one_and_zeros) magnitude = FullPrecisionExponent(value);

  if (magnitude >= -1 && magnitude <= digits - 1) {
    // Fixed notation to the same digits: only the point moves, where the
    // exponent says. The rounding that carried gave fixed digits of its own.
    if (one_and_zeros) {
      end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed,
                          digits - magnitude - 1)
                .ptr;
    } else {
      char significant[40];
      size_t count = 0;
      for (const char* p = first; p < mark; ++p)
        if (*p != '.') significant[count++] = *p;
      char* at = text + (first - text);
      if (magnitude < 0) {
        *at++ = '0';
        *at++ = '.';
        std::memcpy(at, significant, count);
        at += count;
      } else {
        auto whole = static_cast<size_t>(magnitude) + 1;
        std::memcpy(at, significant, whole);
        at += whole;
        if (count > whole) {
          *at++ = '.';
          std::memcpy(at, significant + whole, count - whole);
          at += count - whole;
        }
      }
      end = at;
    }
    *end = '\0';
  }

  // Split off the exponent and drop the zeros that end the fraction.
  char* exponent = std::strchr(text, 'e');
  char* mantissa_end = exponent != nullptr ? exponent : end;
  if (std::memchr(text, '.', mantissa_end - text) != nullptr) {
    while (mantissa_end[-1] == '0') --mantissa_end;
  }
  size_t length = static_cast<size_t>(mantissa_end - text);
  if (length >= size) length = size - 1;
  std::memcpy(out, text, length);
  if (exponent != nullptr) {
    // "e+5" -> "e+005": the runtime writes three exponent digits at least.
    char written[8];
    size_t exponent_digits = std::strlen(exponent + 2);
    size_t at = 0;
    written[at++] = 'e';
    written[at++] = exponent[1];
    for (size_t pad = exponent_digits; pad < 3; ++pad) written[at++] = '0';
    for (size_t i = 0; i < exponent_digits && at < sizeof written - 1; ++i) {
      written[at++] = exponent[2 + i];
    }
    if (length + at >= size) at = size - 1 - length;
    std::memcpy(out + length, written, at);
    length += at;
  }
  out[length] = '\0';
  return length;
}
