// The growable big-endian buffer every remote call is packed into and every
// reply is read from. Writing appends at the end; reading consumes from a
// read position. Every operation returns 1 on success and 0 on failure, and
// a failure leaves its reason in the calling thread's last error
// (TlsSlotGet): kWireErrNoMemory, kWireErrCannotGrow or kWireErrBadRead.
#pragma once

#include <cstddef>
#include <cstdint>

// Last-error codes of the wire layer.
constexpr uint32_t kWireErrNoMemory = 2;      // an allocation failed
constexpr uint32_t kWireErrCannotGrow = 201;  // a number or record could not be packed
constexpr uint32_t kWireErrBadRead = 202;  // read past the end, a field too small, bytes left over

struct MsgBuf {
  uint32_t capacity;   // bytes allocated for data
  uint32_t write_len;  // end of the message
  uint32_t read_pos;   // next byte to read
  uint8_t* data;
};

// Element codecs that the array operations apply to each record in turn.
using MsgBufGetFn = int (*)(MsgBuf* buf, void* elem);
using MsgBufPutFn = int (*)(MsgBuf* buf, const void* elem);
// Releases what an unpacked element owns (not the element itself).
using MsgBufReleaseFn = void (*)(void* elem);

// A new buffer of 1024 bytes, or null (code 2) with nothing left allocated.
MsgBuf* MsgBufCreate();
// A null buffer is ignored.
void MsgBufFree(MsgBuf* buf);
// Room for n more bytes after the write length: the capacity doubles until
// they fit, in one reallocation. On failure (code 2) the buffer is unchanged.
int MsgBufReserve(MsgBuf* buf, uint32_t n);
// 1 when every written byte has been read, else code 202.
int MsgBufAllRead(MsgBuf* buf);

int MsgBufPutBytes(MsgBuf* buf, const void* src, uint32_t n);
// A short read (code 202) leaves the read position where it was.
int MsgBufGetBytes(MsgBuf* buf, void* dst, uint32_t n);

// Puts that cannot grow the buffer fail with code 201 and write nothing.
// Gets that find too few bytes fail with code 202 and consume nothing.
int MsgBufPutU8(MsgBuf* buf, uint8_t value);
int MsgBufPutU16(MsgBuf* buf, uint32_t value);  // the low 16 bits
int MsgBufGetU16(MsgBuf* buf, uint16_t* out);
int MsgBufPutU32(MsgBuf* buf, uint32_t value);
int MsgBufGetU32(MsgBuf* buf, uint32_t* out);
int MsgBufPutI32(MsgBuf* buf, int32_t value);
int MsgBufGetI32(MsgBuf* buf, int32_t* out);
int MsgBufPutI64(MsgBuf* buf, int64_t value);  // high word first
int MsgBufGetI64(MsgBuf* buf, int64_t* out);

// A null string travels as length -1, any other as its length and bytes
// without the NUL.
int MsgBufPutString(MsgBuf* buf, const char* s);
// *out becomes null, then a NUL-terminated copy the caller frees with
// MemFree; a negative length leaves it null and succeeds.
int MsgBufGetString(MsgBuf* buf, char** out);
// Into a fixed field of `size` bytes: the string must fit with its NUL, else
// code 202. A null string leaves the field as it was.
int MsgBufGetStringInto(MsgBuf* buf, char* field, uint32_t size);

// Length -1 when p is null or n is 0.
int MsgBufPutByteArray(MsgBuf* buf, const void* p, int32_t n);
// *out becomes null, then a copy of the bytes (MemFree); a length below 1
// leaves it null. When `length` is given it receives the number of bytes
// copied (0 for none), so that readers can bound what they read.
int MsgBufGetByteArray(MsgBuf* buf, uint8_t** out, uint32_t* length = nullptr);

// i32 count then each element, or -1 alone when base is null or count < 1.
int MsgBufPutArray(MsgBuf* buf, const void* base, MsgBufPutFn put, size_t element_size,
                   int32_t count);
// *out becomes null, then a zero-filled array of the elements (MemFree); a
// count below 1 leaves it null. A count larger than the bytes left fails
// (202) before anything is allocated. When an element fails, `release` (if
// given) runs on the elements decoded so far and the array is freed. `count`
// (if given) receives the number of elements, 0 for none.
int MsgBufGetArray(MsgBuf* buf, void** out, MsgBufGetFn get, size_t element_size,
                   uint32_t* count = nullptr, MsgBufReleaseFn release = nullptr);

// Applies the codec to count consecutive elements; stops at the first failure.
int MsgBufEachElem(MsgBuf* buf, void* base, MsgBufGetFn get, size_t element_size, int32_t count);
int MsgBufEachElem(MsgBuf* buf, const void* base, MsgBufPutFn put, size_t element_size,
                   int32_t count);

// The number of elements of an array that MsgBufGetArray allocated, so that
// a count field sent after an array can be checked against the array.
uint32_t MsgBufArrayCount(const void* array, size_t element_size);
// Frees an array from MsgBufGetArray after running `release` (may be null)
// on each of its elements; a null array is ignored.
void MsgBufFreeArray(void* array, size_t element_size, MsgBufReleaseFn release);

// Adapters that turn a typed codec, int Codec(MsgBuf*, T*) or
// int Codec(MsgBuf*, const T*), into an element callback:
//   MsgBufGetArray(buf, &out, MsgBufGetElem<XdrDiagRecord>, sizeof(LnaDiagRecord));
namespace msg_buf_detail {
template <typename F>
struct CodecTraits;
template <typename T>
struct CodecTraits<int (*)(MsgBuf*, T*)> {
  static int Call(int (*f)(MsgBuf*, T*), MsgBuf* buf, void* elem) {
    return f(buf, static_cast<T*>(elem));
  }
};
template <typename T>
struct CodecTraits<int (*)(MsgBuf*, const T*)> {
  static int Call(int (*f)(MsgBuf*, const T*), MsgBuf* buf, const void* elem) {
    return f(buf, static_cast<const T*>(elem));
  }
};
template <typename F>
struct ReleaseTraits;
template <typename T>
struct ReleaseTraits<void (*)(T*)> {
  static void Call(void (*f)(T*), void* elem) { f(static_cast<T*>(elem)); }
};
}  // namespace msg_buf_detail

template <auto Codec>
int MsgBufGetElem(MsgBuf* buf, void* elem) {
  return msg_buf_detail::CodecTraits<decltype(Codec)>::Call(Codec, buf, elem);
}
template <auto Codec>
int MsgBufPutElem(MsgBuf* buf, const void* elem) {
  return msg_buf_detail::CodecTraits<decltype(Codec)>::Call(Codec, buf, elem);
}
template <auto Release>
void MsgBufRelease(void* elem) {
  msg_buf_detail::ReleaseTraits<decltype(Release)>::Call(Release, elem);
}
