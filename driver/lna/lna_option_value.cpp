#include "driver/lna/lna_option_value.h"

#include <cstring>

#include "driver/lna/lna_call.h"

int MakeOptionValue(uintptr_t value, int16_t c_type, LnaTypedValue* out) {
  *out = LnaTypedValue{};
  out->c_type = c_type;
  switch (c_type) {
    case kCTypeChar: {
      char* text = reinterpret_cast<char*>(value);
      if (text == nullptr) return 0;
      out->length = static_cast<int32_t>(std::strlen(text) + 1);
      out->value.text = text;
      return 1;
    }
    case kCTypeLong:
      out->length = 4;
      out->value.u32 = static_cast<uint32_t>(value);
      return 1;
    case kCTypeShort:
      out->length = 2;
      out->value.u16 = static_cast<uint16_t>(value);
      return 1;
    default:
      return 0;
  }
}

void StoreOptionValue(LnaTypedValue* received, void* value, uint16_t* c_type) {
  if (c_type != nullptr) *c_type = static_cast<uint16_t>(received->c_type);
  if (value != nullptr) {
    switch (received->c_type) {
      case 0:
        *static_cast<uintptr_t*>(value) = 0;
        break;
      case kCTypeChar: {
        auto* out = static_cast<char*>(value);
        size_t n = 0;
        if (received->value.text != nullptr && received->length > 0)
          n = strnlen(received->value.text, static_cast<size_t>(received->length));
        if (n >= kLnaOptionTextSize) n = kLnaOptionTextSize - 1;
        if (n > 0) std::memcpy(out, received->value.text, n);
        out[n] = '\0';
        break;
      }
      case kCTypeLong:
        *static_cast<uintptr_t*>(value) = received->value.u32;
        break;
      case kCTypeShort:
        *static_cast<uintptr_t*>(value) = received->value.u16;
        break;
      default:
        break;
    }
  }
  XdrFreeTypedValue(received);
}
