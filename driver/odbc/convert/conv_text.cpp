// Character and decimal text to every class but the dates and times.
#include <cfloat>
#include <cmath>
#include <cstring>

#include "driver/odbc/convert/conv_routines.h"
#include "driver/odbc/convert/conv_text_value.h"
#include "driver/odbc/convert/conv_write.h"

namespace {

const char* SourceText(const void* source) {
  return static_cast<const char*>(source);
}

// A whole number in [low, high]; a kConvTruncated of the reading is kept.
template <typename T>
int32_t TextToInteger(const void* source, bool is_unsigned, int64_t low, int64_t high, void* target,
                      int16_t target_class, int32_t target_length, int32_t* out_length) {
  int64_t value = 0;
  int32_t result = TextToWholeValue(SourceText(source), is_unsigned, &value);
  if (result != kConvOk && result != kConvTruncated) return result;
  if (value < low || value > high) return kConvOutOfRange;
  int32_t written =
      WriteFixedValue(static_cast<T>(value), target, target_class, target_length, out_length);
  return written != kConvOk ? written : result;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

int32_t TextToText(const void* source, int16_t, int32_t, void* target, int16_t,
                   int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  const char* text = SourceText(source);
  size_t length = std::strlen(text);
  *out_length = static_cast<int32_t>(length);
  return WriteTextCut(text, length, target, target_length);
}

int32_t TextToNumericText(const void* source, int16_t source_class, int32_t source_length,
                          void* target, int16_t, int32_t target_length, int32_t precision,
                          int16_t scale, int32_t* out_length) {
  const char* text = SourceText(source);
  // Binary bytes carry no NUL of their own: read no further than they go.
  size_t length = source_class == kConvBinary
                      ? static_cast<size_t>(source_length > 0 ? source_length : 0)
                      : std::strlen(text);
  return NumericTextToDecimal(text, length, target, target_length, precision, scale, out_length);
}

int32_t TextToBit(const void* source, int16_t, int32_t, void* target, int16_t target_class,
                  int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  double value = 0;
  int32_t result = TextToDoubleValue(SourceText(source), &value);
  if (result != kConvOk) return result;
  if (value < 0 || value >= 2) return kConvOutOfRange;
  auto bit = static_cast<uint8_t>(value);
  int32_t written = WriteFixedValue(bit, target, target_class, target_length, out_length);
  if (written != kConvOk) return written;
  return value == 0 || value == 1 ? kConvOk : kConvTruncated;
}

int32_t TextToTinyInt(const void* source, int16_t, int32_t, void* target, int16_t target_class,
                      int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  return TextToInteger<int8_t>(source, false, -128, 127, target, target_class, target_length,
                               out_length);
}

int32_t TextToUTinyInt(const void* source, int16_t, int32_t, void* target, int16_t target_class,
                       int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  return TextToInteger<uint8_t>(source, true, 0, 255, target, target_class, target_length,
                                out_length);
}

int32_t TextToShort(const void* source, int16_t, int32_t, void* target, int16_t target_class,
                    int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  return TextToInteger<int16_t>(source, false, -32768, 32767, target, target_class, target_length,
                                out_length);
}

int32_t TextToUShort(const void* source, int16_t, int32_t, void* target, int16_t target_class,
                     int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  return TextToInteger<uint16_t>(source, true, 0, 65535, target, target_class, target_length,
                                 out_length);
}

int32_t TextToLong(const void* source, int16_t, int32_t, void* target, int16_t target_class,
                   int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  return TextToInteger<int32_t>(source, false, INT32_MIN, INT32_MAX, target, target_class,
                                target_length, out_length);
}

int32_t TextToULong(const void* source, int16_t, int32_t, void* target, int16_t target_class,
                    int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  return TextToInteger<uint32_t>(source, true, 0, UINT32_MAX, target, target_class, target_length,
                                 out_length);
}

int32_t TextToReal(const void* source, int16_t, int32_t, void* target, int16_t target_class,
                   int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  double value = 0;
  int32_t result = TextToDoubleValue(SourceText(source), &value);
  if (result != kConvOk) return result;
  if (!std::isinf(value) && std::fabs(value) > FLT_MAX) return kConvOutOfRange;
  return WriteFixedValue(static_cast<float>(value), target, target_class, target_length,
                         out_length);
}

int32_t TextToDouble(const void* source, int16_t, int32_t, void* target, int16_t target_class,
                     int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  double value = 0;
  int32_t result = TextToDoubleValue(SourceText(source), &value);
  if (result != kConvOk) return result;
  return WriteFixedValue(value, target, target_class, target_length, out_length);
}

int32_t TextToBinary(const void* source, int16_t, int32_t, void* target, int16_t,
                     int32_t target_length, int32_t, int16_t, int32_t* out_length) {
  const char* text = SourceText(source);
  auto* out = static_cast<uint8_t*>(target);
  int32_t room = target != nullptr && target_length > 0 ? target_length : 0;
  int32_t written = 0;
  // Two characters a byte; a lone character at the end is no byte.
  for (; text[0] != '\0' && text[1] != '\0'; text += 2) {
    int high = HexValue(text[0]);
    int low = HexValue(text[1]);
    if (high < 0 || low < 0) return kConvInvalidText;
    if (written == room) {
      *out_length = room;
      return kConvTruncated;
    }
    out[written++] = static_cast<uint8_t>(high << 4 | low);
  }
  *out_length = written;
  return kConvOk;
}
