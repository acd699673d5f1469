// A typed value inside a record, with one rule for who frees its payload: a
// value that a decode unpacked (or that took over a payload with Adopt) owns
// its text or binary bytes and frees them when destroyed; a value made with
// Refer only points at the caller's value, which must outlive it. Move-only,
// so one holder frees a payload at most once.
#pragma once

#include "wire/msg_buf.h"
#include "wire/typed_value.h"

class WireValue {
 public:
  WireValue() = default;
  static WireValue Refer(const LnaTypedValue& value);
  static WireValue Adopt(const LnaTypedValue& value);

  WireValue(WireValue&& other) noexcept;
  WireValue& operator=(WireValue&& other) noexcept;
  WireValue(const WireValue&) = delete;
  WireValue& operator=(const WireValue&) = delete;
  ~WireValue();

  const LnaTypedValue& get() const { return value_; }
  // Hands the value over with its payload (XdrFreeTypedValue); this one is
  // left empty.
  LnaTypedValue Release();

 private:
  friend int Decode(MsgBuf* buf, WireValue* value);
  void Reset();

  LnaTypedValue value_{};
  bool owned_ = false;
};

int Encode(MsgBuf* buf, const WireValue& value);
// Frees what *value held, then unpacks into it (XdrTypedValue).
int Decode(MsgBuf* buf, WireValue* value);
