#include "wire/counted_list.h"

#include "common/tls_slot.h"

int XdrPutCountedList(MsgBuf* buf, uint16_t count, const void* items, MsgBufPutFn put,
                      size_t item_size) {
  return MsgBufPutU16(buf, count) && MsgBufPutArray(buf, items, put, item_size, count);
}

int XdrGetCountedList(MsgBuf* buf, uint16_t* count, void** items, MsgBufGetFn get, size_t item_size,
                      MsgBufReleaseFn release) {
  *count = 0;
  *items = nullptr;
  uint16_t n;
  if (!MsgBufGetU16(buf, &n)) return 0;
  void* array;
  uint32_t received;
  if (!MsgBufGetArray(buf, &array, get, item_size, &received, release)) return 0;
  if (n > received) {
    MsgBufFreeArray(array, item_size, release);
    TlsSlotSet(kWireErrBadRead);
    return 0;
  }
  *count = n;
  *items = array;
  return 1;
}
