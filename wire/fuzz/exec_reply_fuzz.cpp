// The reply of direct execution: column descriptions, parameter
// descriptions, the replaced bound-column lists and a row count. Prepare and
// the catalog functions send a prefix of it.
#include "wire/column_desc.h"
#include "wire/descriptor.h"
#include "wire/fuzz/fuzz_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzReply(data, size, [](MsgBuf* buf) {
    void* columns = nullptr;
    void* params = nullptr;
    void* lists = nullptr;
    uint16_t column_count, param_count;
    int32_t rows;
    int ok = MsgBufGetArray(buf, &columns, MsgBufGetElem<XdrColumnDesc>, sizeof(LnaColumnDesc)) &&
             MsgBufGetU16(buf, &column_count) &&
             MsgBufGetArray(buf, &params, MsgBufGetElem<XdrColumnState>, sizeof(LnaParamDesc)) &&
             MsgBufGetU16(buf, &param_count) &&
             MsgBufGetArray(buf, &lists, MsgBufGetElem<XdrGetDescArray>, sizeof(LnaDescList),
                            nullptr, MsgBufRelease<XdrFreeDescList>) &&
             MsgBufGetI32(buf, &rows);
    MsgBufFreeArray(columns, sizeof(LnaColumnDesc), nullptr);
    MsgBufFreeArray(params, sizeof(LnaParamDesc), nullptr);
    MsgBufFreeArray(lists, sizeof(LnaDescList), MsgBufRelease<XdrFreeDescList>);
    return ok;
  });
  return 0;
}
