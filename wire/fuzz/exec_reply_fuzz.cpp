// The reply of direct execution: column descriptions, parameter
// descriptions, the returned values and a row count. Prepare and the catalog
// functions send a prefix of it.
#include "wire/fuzz/fuzz_reply.h"
#include "wire/protocol.h"
#include "wire/statement_calls.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzReply(data, size, [](MsgBuf* buf) {
    DecodedRecord<ExecDirectReply> reply(ExecDirectReply{{}, ExecuteReply{kRpcExecDirect}});
    return Decode(buf, &reply.record);
  });
  return 0;
}
