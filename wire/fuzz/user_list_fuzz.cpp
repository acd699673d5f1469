// The administrative users reply: an array of user-list elements.
#include "wire/fuzz/fuzz_reply.h"
#include "wire/user_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzReply(data, size, [](MsgBuf* buf) {
    void* lists = nullptr;
    int ok = MsgBufGetArray(buf, &lists, MsgBufGetElem<XdrUserList>, sizeof(LnaUserList), nullptr,
                            MsgBufRelease<XdrFreeUserList>);
    MsgBufFreeArray(lists, sizeof(LnaUserList), MsgBufRelease<XdrFreeUserList>);
    return ok;
  });
  return 0;
}
