// How a connection option's value travels: a number, a text whose address
// the caller passes, or not at all. Decided from the option number alone:
// a value is never read to guess what it is.
#pragma once

#include <cstdint>

enum class OptionKind : uint8_t {
  kNumber,   // the value itself, at most 32 bits on the wire
  kText,     // the address of a NUL-terminated text
  kRefused,  // the driver does not support it (S1C00)
  kLocal,    // kept by the driver only, never sent to the server
};

// What a value of `option` is given as to SQLSetConnectOption.
OptionKind ConnOptionKind(uint16_t option);
// True when the option's value is the address of a text (sent or not).
bool ConnOptionIsText(uint16_t option);
