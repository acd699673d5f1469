// An array of records followed by its own u16 count, the shape in which
// replies carry column, parameter, type and table-type lists. The arrays
// belong to the decoder (MemFree).
#pragma once

#include <cstdint>

#include "common/memory.h"
#include "wire/msg_buf.h"

// The count kept is never larger than the array that came; on failure
// nothing stays allocated.
template <typename T>
int GetCountedArray(MsgBuf* buf, T** items, uint16_t* count, MsgBufGetFn get) {
  *items = nullptr;
  *count = 0;
  void* array = nullptr;
  uint32_t received = 0;
  uint16_t sent = 0;
  if (!MsgBufGetArray(buf, &array, get, sizeof(T), &received)) return 0;
  if (!MsgBufGetU16(buf, &sent)) {
    MemFree(array);
    return 0;
  }
  *items = static_cast<T*>(array);
  *count = sent < received ? sent : static_cast<uint16_t>(received);
  return 1;
}

template <typename T>
int PutCountedArray(MsgBuf* buf, const T* items, uint16_t count, MsgBufPutFn put) {
  return MsgBufPutArray(buf, count > 0 ? items : nullptr, put, sizeof(T), count) &&
         MsgBufPutU16(buf, count);
}

template <typename T>
void FreeCountedArray(T** items, uint16_t* count) {
  MemFree(*items);
  *items = nullptr;
  *count = 0;
}
