// Addresses and numbers as the call-layer trace lines print them.
#pragma once

#include <cstdint>

template <typename T>
inline unsigned long TraceAddr(const T* p) {
  return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(p));
}

inline const char* TraceBool(uint8_t value) {
  return value ? "True" : "False";
}

inline const char* TraceText(const char* text) {
  return text != nullptr ? text : "NULL";
}
