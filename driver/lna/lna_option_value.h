// Option values between the driver (pointer-sized: a number or the address
// of a text) and the wire (a typed value).
#pragma once

#include <cstdint>

#include "wire/typed_value.h"

// The option the driver keeps to itself: asynchronous execution.
constexpr uint16_t kLnaAsyncOption = 4;

// The typed value to send for `value` of C type 1, 4 or 5 (borrowing the
// text); 0 for any other C type, which sends nothing.
int MakeOptionValue(uintptr_t value, int16_t c_type, LnaTypedValue* out);
// Stores a received value: a number as a uintptr_t, a text cut to
// kLnaOptionTextSize bytes with its NUL; other C types store nothing.
// Frees the received value.
void StoreOptionValue(LnaTypedValue* received, void* value, uint16_t* c_type);
