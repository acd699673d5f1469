// Pieces that several replies share: an array of records followed by its
// own u16 count, and the typed value a request sends. Each reader sets its
// outputs empty first; the count it hands out is never larger than its
// array. What a failed reader leaves is freed by the Free function below.
#pragma once

#include <cstdint>

#include "driver/lna/rpc_stub.h"
#include "wire/column_desc.h"
#include "wire/msg_buf.h"
#include "wire/typed_value.h"

// An array of T records, then its u16 count. On failure *items may hold the
// array already read: the caller's discard frees it (MemFree).
template <typename T>
int ReadCountedArray(MsgBuf* buf, T** items, uint16_t* count, MsgBufGetFn get) {
  *items = nullptr;
  *count = 0;
  void* array;
  uint32_t received;
  uint16_t n;
  if (!MsgBufGetArray(buf, &array, get, sizeof(T), &received)) return 0;
  *items = static_cast<T*>(array);
  if (!MsgBufGetU16(buf, &n)) return 0;
  *count = RpcCountOf(n, received);
  return 1;
}

int ReadColumnDescs(MsgBuf* buf, LnaColumnDesc** columns, uint16_t* count);

// Frees an array from the reader above and empties its outputs.
void FreeColumnDescs(LnaColumnDesc** columns, uint16_t* count);

// A typed value to send; there is none to send without one (code 201).
int PutValue(MsgBuf* buf, const LnaTypedValue* value);
