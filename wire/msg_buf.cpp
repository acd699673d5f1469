#include "wire/msg_buf.h"

#include <cstring>

#include "common/memory.h"
#include "common/tls_slot.h"
#include "wire/byte_order.h"

namespace {

constexpr uint32_t kInitialCapacity = 1024;

int Fail(uint32_t code) {
  TlsSlotSet(code);
  return 0;
}

uint32_t Unread(const MsgBuf* buf) {
  return buf->read_pos < buf->write_len ? buf->write_len - buf->read_pos : 0;
}

// Room for a fixed-width number; a buffer that cannot grow is a packing
// failure, whatever the allocator said.
bool RoomFor(MsgBuf* buf, uint32_t width) {
  if (buf->capacity - buf->write_len >= width) return true;
  if (MsgBufReserve(buf, width)) return true;
  TlsSlotSet(kWireErrCannotGrow);
  return false;
}

int PutNumber(MsgBuf* buf, uint64_t value, int width) {
  if (!RoomFor(buf, static_cast<uint32_t>(width))) return 0;
  StoreBeN(buf->data + buf->write_len, value, width);
  buf->write_len += static_cast<uint32_t>(width);
  return 1;
}

int GetNumber(MsgBuf* buf, uint64_t* value, int width) {
  if (Unread(buf) < static_cast<uint32_t>(width)) return Fail(kWireErrBadRead);
  *value = LoadBeN(buf->data + buf->read_pos, width);
  buf->read_pos += static_cast<uint32_t>(width);
  return 1;
}

}  // namespace

MsgBuf* MsgBufCreate() {
  auto* buf = static_cast<MsgBuf*>(MemAlloc(sizeof(MsgBuf)));
  if (buf == nullptr) {
    TlsSlotSet(kWireErrNoMemory);
    return nullptr;
  }
  buf->data = static_cast<uint8_t*>(MemAlloc(kInitialCapacity));
  if (buf->data == nullptr) {
    MemFree(buf);
    TlsSlotSet(kWireErrNoMemory);
    return nullptr;
  }
  buf->capacity = kInitialCapacity;
  buf->write_len = 0;
  buf->read_pos = 0;
  return buf;
}

void MsgBufFree(MsgBuf* buf) {
  if (buf == nullptr) return;
  MemFree(buf->data);
  MemFree(buf);
}

int MsgBufReserve(MsgBuf* buf, uint32_t n) {
  if (buf->capacity - buf->write_len >= n) return 1;
  uint64_t needed = uint64_t{buf->write_len} + n;
  uint64_t capacity = buf->capacity != 0 ? buf->capacity : kInitialCapacity;
  while (capacity < needed) capacity *= 2;
  // The lengths are 32-bit on the wire and in the frame, so no message may
  // outgrow them.
  if (capacity > UINT32_MAX) return Fail(kWireErrNoMemory);
  void* data = buf->data;
  if (MemRealloc(&data, static_cast<size_t>(capacity)) != 0) return Fail(kWireErrNoMemory);
  buf->data = static_cast<uint8_t*>(data);
  buf->capacity = static_cast<uint32_t>(capacity);
  return 1;
}

int MsgBufAllRead(MsgBuf* buf) {
  if (buf->read_pos >= buf->write_len) return 1;
  return Fail(kWireErrBadRead);
}

int MsgBufPutBytes(MsgBuf* buf, const void* src, uint32_t n) {
  if (!MsgBufReserve(buf, n)) return 0;
  if (n > 0) std::memcpy(buf->data + buf->write_len, src, n);
  buf->write_len += n;
  return 1;
}

int MsgBufGetBytes(MsgBuf* buf, void* dst, uint32_t n) {
  if (Unread(buf) < n) return Fail(kWireErrBadRead);
  if (n > 0) std::memcpy(dst, buf->data + buf->read_pos, n);
  buf->read_pos += n;
  return 1;
}

int MsgBufPutU8(MsgBuf* buf, uint8_t value) {
  return PutNumber(buf, value, 1);
}
int MsgBufPutU16(MsgBuf* buf, uint32_t value) {
  return PutNumber(buf, value & 0xFFFFu, 2);
}
int MsgBufPutU32(MsgBuf* buf, uint32_t value) {
  return PutNumber(buf, value, 4);
}
int MsgBufPutI32(MsgBuf* buf, int32_t value) {
  return PutNumber(buf, static_cast<uint32_t>(value), 4);
}
int MsgBufPutI64(MsgBuf* buf, int64_t value) {
  return PutNumber(buf, static_cast<uint64_t>(value), 8);
}

int MsgBufGetU16(MsgBuf* buf, uint16_t* out) {
  uint64_t v;
  if (!GetNumber(buf, &v, 2)) return 0;
  *out = static_cast<uint16_t>(v);
  return 1;
}

int MsgBufGetU32(MsgBuf* buf, uint32_t* out) {
  uint64_t v;
  if (!GetNumber(buf, &v, 4)) return 0;
  *out = static_cast<uint32_t>(v);
  return 1;
}

int MsgBufGetI32(MsgBuf* buf, int32_t* out) {
  uint64_t v;
  if (!GetNumber(buf, &v, 4)) return 0;
  *out = static_cast<int32_t>(static_cast<uint32_t>(v));
  return 1;
}

int MsgBufGetI64(MsgBuf* buf, int64_t* out) {
  uint64_t v;
  if (!GetNumber(buf, &v, 8)) return 0;
  *out = static_cast<int64_t>(v);
  return 1;
}

int MsgBufPutString(MsgBuf* buf, const char* s) {
  if (s == nullptr) return MsgBufPutI32(buf, -1);
  size_t n = std::strlen(s);
  if (n > INT32_MAX) return Fail(kWireErrCannotGrow);
  if (!MsgBufPutI32(buf, static_cast<int32_t>(n))) return 0;
  return MsgBufPutBytes(buf, s, static_cast<uint32_t>(n));
}

int MsgBufGetString(MsgBuf* buf, char** out) {
  *out = nullptr;
  int32_t n;
  if (!MsgBufGetI32(buf, &n)) return 0;
  if (n < 0) return 1;
  if (Unread(buf) < static_cast<uint32_t>(n)) return Fail(kWireErrBadRead);
  auto* text = static_cast<char*>(MemAlloc(static_cast<size_t>(n) + 1));
  if (text == nullptr) return Fail(kWireErrNoMemory);
  MsgBufGetBytes(buf, text, static_cast<uint32_t>(n));
  *out = text;
  return 1;
}

int MsgBufGetStringInto(MsgBuf* buf, char* field, uint32_t size) {
  int32_t n;
  if (!MsgBufGetI32(buf, &n)) return 0;
  if (n < 0) return 1;
  auto length = static_cast<uint32_t>(n);
  if (length >= size || Unread(buf) < length) return Fail(kWireErrBadRead);
  MsgBufGetBytes(buf, field, length);
  field[length] = '\0';
  return 1;
}

int MsgBufPutByteArray(MsgBuf* buf, const void* p, int32_t n) {
  if (p == nullptr || n <= 0) return MsgBufPutI32(buf, -1);
  if (!MsgBufPutI32(buf, n)) return 0;
  return MsgBufPutBytes(buf, p, static_cast<uint32_t>(n));
}

int MsgBufGetByteArray(MsgBuf* buf, uint8_t** out, uint32_t* length) {
  *out = nullptr;
  if (length != nullptr) *length = 0;
  int32_t n;
  if (!MsgBufGetI32(buf, &n)) return 0;
  if (n < 1) return 1;
  if (Unread(buf) < static_cast<uint32_t>(n)) return Fail(kWireErrBadRead);
  auto* bytes = static_cast<uint8_t*>(MemAlloc(static_cast<size_t>(n)));
  if (bytes == nullptr) return Fail(kWireErrNoMemory);
  MsgBufGetBytes(buf, bytes, static_cast<uint32_t>(n));
  *out = bytes;
  if (length != nullptr) *length = static_cast<uint32_t>(n);
  return 1;
}

int MsgBufPutArray(MsgBuf* buf, const void* base, MsgBufPutFn put, size_t element_size,
                   int32_t count) {
  if (base == nullptr || count <= 0) return MsgBufPutI32(buf, -1);
  if (!MsgBufPutI32(buf, count)) return 0;
  return MsgBufEachElem(buf, base, put, element_size, count);
}

int MsgBufGetArray(MsgBuf* buf, void** out, MsgBufGetFn get, size_t element_size, uint32_t* count,
                   MsgBufReleaseFn release) {
  *out = nullptr;
  if (count != nullptr) *count = 0;
  int32_t n;
  if (!MsgBufGetI32(buf, &n)) return 0;
  if (n < 1) return 1;
  // Every record of the protocol takes at least one byte on the wire, so a
  // count beyond the bytes left cannot be honest.
  if (Unread(buf) < static_cast<uint32_t>(n)) return Fail(kWireErrBadRead);
  if (element_size != 0 && static_cast<size_t>(n) > SIZE_MAX / element_size)
    return Fail(kWireErrBadRead);
  // A record is far larger in memory than its smallest wire form, so the
  // count alone could still ask for hundreds of times the reply's size. The
  // array grows with the elements that really decode, ending at exactly n.
  constexpr int32_t kFirstCapacity = 64;
  int32_t capacity = n < kFirstCapacity ? n : kFirstCapacity;
  auto* array = static_cast<uint8_t*>(MemAlloc(static_cast<size_t>(capacity) * element_size));
  if (array == nullptr) return Fail(kWireErrNoMemory);
  for (int32_t i = 0; i < n; ++i) {
    if (i == capacity) {
      capacity = capacity > n / 2 ? n : capacity * 2;
      void* block = array;
      if (MemRealloc(&block, static_cast<size_t>(capacity) * element_size) != 0) {
        if (release != nullptr)
          for (int32_t j = 0; j < i; ++j) release(array + static_cast<size_t>(j) * element_size);
        MemFree(array);
        return Fail(kWireErrNoMemory);
      }
      array = static_cast<uint8_t*>(block);
    }
    if (!get(buf, array + static_cast<size_t>(i) * element_size)) {
      if (release != nullptr) {
        // The failing element released its own allocations; the ones before
        // it are whole.
        for (int32_t j = 0; j < i; ++j) release(array + static_cast<size_t>(j) * element_size);
      }
      MemFree(array);
      return 0;
    }
  }
  *out = array;
  if (count != nullptr) *count = static_cast<uint32_t>(n);
  return 1;
}

int MsgBufEachElem(MsgBuf* buf, void* base, MsgBufGetFn get, size_t element_size, int32_t count) {
  auto* p = static_cast<uint8_t*>(base);
  for (int32_t i = 0; i < count; ++i)
    if (!get(buf, p + static_cast<size_t>(i) * element_size)) return 0;
  return 1;
}

int MsgBufEachElem(MsgBuf* buf, const void* base, MsgBufPutFn put, size_t element_size,
                   int32_t count) {
  const auto* p = static_cast<const uint8_t*>(base);
  for (int32_t i = 0; i < count; ++i)
    if (!put(buf, p + static_cast<size_t>(i) * element_size)) return 0;
  return 1;
}

uint32_t MsgBufArrayCount(const void* array, size_t element_size) {
  if (array == nullptr || element_size == 0) return 0;
  return static_cast<uint32_t>(MemSize(array) / element_size);
}

void MsgBufFreeArray(void* array, size_t element_size, MsgBufReleaseFn release) {
  if (array == nullptr) return;
  if (release != nullptr) {
    uint32_t n = MsgBufArrayCount(array, element_size);
    for (uint32_t i = 0; i < n; ++i) release(static_cast<uint8_t*>(array) + i * element_size);
  }
  MemFree(array);
}
