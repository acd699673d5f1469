#include "driver/lna/reply_parts.h"

#include "common/memory.h"
#include "common/tls_slot.h"

int ReadColumnDescs(MsgBuf* buf, LnaColumnDesc** columns, uint16_t* count) {
  ColumnDescList list;
  int ok = Decode(buf, &list);
  *columns = list.columns;
  *count = list.count;
  return ok;
}

int ReadParamDescs(MsgBuf* buf, LnaParamDesc** params, uint16_t* count) {
  return ReadCountedArray(buf, params, count, MsgBufGetElem<XdrColumnState>);
}

int ReadReturnedList(MsgBuf* buf, LnaDescList* list) {
  *list = LnaDescList{};
  void* array;
  uint32_t received;
  if (!MsgBufGetArray(buf, &array, MsgBufGetElem<XdrGetDescArray>, sizeof(LnaDescList), &received,
                      MsgBufRelease<XdrFreeDescList>)) {
    return 0;
  }
  auto* lists = static_cast<LnaDescList*>(array);
  if (received > 0) {
    *list = lists[0];
    lists[0] = LnaDescList{};
  }
  MsgBufFreeArray(array, sizeof(LnaDescList), MsgBufRelease<XdrFreeDescList>);
  return 1;
}

void FreeColumnDescs(LnaColumnDesc** columns, uint16_t* count) {
  MemFree(*columns);
  *columns = nullptr;
  *count = 0;
}

void FreeParamDescs(LnaParamDesc** params, uint16_t* count) {
  MemFree(*params);
  *params = nullptr;
  *count = 0;
}

int PutDescList(MsgBuf* buf, const LnaDescList* list) {
  static const LnaDescList kEmpty{};
  return XdrParamDesc(buf, list != nullptr ? list : &kEmpty);
}

int PutValue(MsgBuf* buf, const LnaTypedValue* value) {
  if (value == nullptr) {
    TlsSlotSet(kWireErrCannotGrow);
    return 0;
  }
  return XdrPutTypedValue(buf, value);
}
