// Option and information replies (an array of typed values, then an i32)
// and the long-data reply (one typed value, then an i32).
#include "wire/fuzz/fuzz_reply.h"
#include "wire/typed_value.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzReply(data, size, [](MsgBuf* buf) {
    void* values = nullptr;
    int32_t length;
    int ok = MsgBufGetArray(buf, &values, MsgBufGetElem<XdrTypedValue>, sizeof(LnaTypedValue),
                            nullptr, MsgBufRelease<XdrFreeTypedValue>) &&
             MsgBufGetI32(buf, &length);
    MsgBufFreeArray(values, sizeof(LnaTypedValue), MsgBufRelease<XdrFreeTypedValue>);
    return ok;
  });
  FuzzReply(data, size, [](MsgBuf* buf) {
    LnaTypedValue value;
    int32_t length;
    int ok = XdrTypedValue(buf, &value);
    if (ok) {
      ok = MsgBufGetI32(buf, &length);
      XdrFreeTypedValue(&value);
    }
    return ok;
  });
  return 0;
}
