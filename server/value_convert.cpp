#include "server/value_convert.h"

#include <climits>

namespace velsrv {

LnaTypedValue TextValue(const std::string& text) {
  LnaTypedValue v{};
  v.c_type = kCTypeChar;
  v.length = text.size() > INT32_MAX - 1 ? INT32_MAX - 1 : static_cast<int32_t>(text.size());
  v.value.text = const_cast<char*>(text.c_str());
  return v;
}

LnaTypedValue LongValue(uint32_t number) {
  LnaTypedValue v{};
  v.c_type = kCTypeLong;
  v.length = 4;
  v.value.u32 = number;
  return v;
}

LnaTypedValue ShortValue(uint16_t number) {
  LnaTypedValue v{};
  v.c_type = kCTypeShort;
  v.length = 2;
  v.value.u16 = number;
  return v;
}

bool ToOptionValue(const LnaTypedValue& value, bool want_text, OptionValue* out) {
  *out = OptionValue{};
  if (value.length == kValueNull) return false;
  if (value.c_type == kCTypeChar) {
    if (!want_text) return false;
    out->is_text = true;
    if (value.value.text != nullptr) out->text = value.value.text;
    return true;
  }
  if (want_text) return false;
  switch (value.c_type) {
    case kCTypeLong:
    case kCTypeSLong:
    case kCTypeULong:
      out->number = value.value.u32;
      return true;
    case kCTypeShort:
    case kCTypeSShort:
    case kCTypeUShort:
      out->number = value.value.u16;
      return true;
    case kCTypeTinyInt:
    case kCTypeSTinyInt:
    case kCTypeUTinyInt:
    case kCTypeBit:
      out->number = value.value.u8;
      return true;
    default:
      return false;
  }
}

}  // namespace velsrv
