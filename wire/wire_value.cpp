#include "wire/wire_value.h"

#include <utility>

WireValue WireValue::Refer(const LnaTypedValue& value) {
  WireValue v;
  v.value_ = value;
  return v;
}

WireValue WireValue::Adopt(const LnaTypedValue& value) {
  WireValue v;
  v.value_ = value;
  v.owned_ = true;
  return v;
}

WireValue::WireValue(WireValue&& other) noexcept
    : value_(std::exchange(other.value_, LnaTypedValue{})),
      owned_(std::exchange(other.owned_, false)) {}

WireValue& WireValue::operator=(WireValue&& other) noexcept {
  if (this != &other) {
    Reset();
    value_ = std::exchange(other.value_, LnaTypedValue{});
    owned_ = std::exchange(other.owned_, false);
  }
  return *this;
}

WireValue::~WireValue() {
  Reset();
}

LnaTypedValue WireValue::Release() {
  owned_ = false;
  return std::exchange(value_, LnaTypedValue{});
}

void WireValue::Reset() {
  if (owned_) XdrFreeTypedValue(&value_);
  value_ = LnaTypedValue{};
  owned_ = false;
}

int Encode(MsgBuf* buf, const WireValue& value) {
  return XdrPutTypedValue(buf, &value.get());
}

int Decode(MsgBuf* buf, WireValue* value) {
  value->Reset();
  // XdrTypedValue leaves nothing allocated when it fails.
  value->owned_ = true;
  return XdrTypedValue(buf, &value->value_);
}
