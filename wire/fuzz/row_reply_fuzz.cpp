// The row-block reply of array fetch and the single-row reply of a plain
// fetch, each tried on the same bytes.
#include "wire/fuzz/fuzz_reply.h"
#include "wire/row_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzReply(data, size, [](MsgBuf* buf) {
    LnaRowBlock block;
    int ok = XdrRowBlock(buf, &block);
    if (ok && block.bytes != nullptr && block.data_length > 0)
      (void)block.bytes[block.data_length - 1];  // the whole length is there
    XdrFreeRowBlock(&block);
    return ok;
  });
  FuzzReply(data, size, [](MsgBuf* buf) {
    LnaSizedRow row;
    int ok = XdrSizedBytes(buf, &row);
    if (ok && row.bytes != nullptr && row.data_length > 0) (void)row.bytes[row.data_length - 1];
    XdrFreeSizedRow(&row);
    return ok;
  });
  return 0;
}
