#include "wire/array_buffer.h"

#include <cstdlib>

bool ArrayBufferBytes(const char* kilobytes, uint32_t* bytes) {
  if (kilobytes == nullptr) return false;
  long kb = std::strtol(kilobytes, nullptr, 10);
  // Bounded before it is multiplied, so that no count wraps into range.
  if (kb < 1 || kb > static_cast<long>(kMaxArrayBuffer >> 10)) return false;
  uint32_t b = static_cast<uint32_t>(kb) << 10;
  if (b < kMinArrayBuffer || b > kMaxArrayBuffer) return false;
  *bytes = b;
  return true;
}
