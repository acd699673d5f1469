// The array fetch buffer: the bytes of row block the client takes at a
// time. Both ends read its size from the connection string's
// ArrayBufferSize, and both decide by it which columns travel in blocks.
#pragma once

#include <cstdint>

// When ArrayBufferSize names none.
constexpr uint32_t kDefaultArrayBuffer = 8192;
constexpr uint32_t kMinArrayBuffer = 1024;
constexpr uint32_t kMaxArrayBuffer = 65000;
// What a block keeps of the buffer for itself: a column whose fetch buffer
// is larger than the rest is read as long data instead.
constexpr uint32_t kArrayBufferReserve = 16;

// The bytes an ArrayBufferSize text asks for (kilobytes: the number strtol
// reads at its start); false when they fall outside kMinArrayBuffer to
// kMaxArrayBuffer.
bool ArrayBufferBytes(const char* kilobytes, uint32_t* bytes);

// Whether a column whose fetch buffer takes `size` bytes travels in the
// blocks of an array buffer of `array_buffer` bytes.
constexpr bool FitsArrayBuffer(int64_t size, uint32_t array_buffer) {
  return size <= static_cast<int64_t>(array_buffer) - kArrayBufferReserve;
}
