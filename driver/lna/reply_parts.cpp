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

void FreeColumnDescs(LnaColumnDesc** columns, uint16_t* count) {
  MemFree(*columns);
  *columns = nullptr;
  *count = 0;
}

int PutValue(MsgBuf* buf, const LnaTypedValue* value) {
  if (value == nullptr) {
    TlsSlotSet(kWireErrCannotGrow);
    return 0;
  }
  return XdrPutTypedValue(buf, value);
}
