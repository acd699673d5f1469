// The reply that hands over the server's diagnostics: an array of records,
// then their count.
#include "wire/diag_record.h"
#include "wire/fuzz/fuzz_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzReply(data, size, [](MsgBuf* buf) {
    void* records = nullptr;
    uint16_t count;
    int ok = MsgBufGetArray(buf, &records, MsgBufGetElem<XdrDiagRecord>, sizeof(LnaDiagRecord)) &&
             MsgBufGetU16(buf, &count);
    MsgBufFreeArray(records, sizeof(LnaDiagRecord), nullptr);
    return ok;
  });
  return 0;
}
