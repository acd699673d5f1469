// The login reply. The first two input bytes choose the length of the
// scrambled text the request sent (2 to 512), which the reply echoes; the
// rest is the reply.
#include "wire/connect_call.h"
#include "wire/fuzz/fuzz_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  uint32_t text_length = 2 + ((uint32_t{data[0]} << 8 | data[1]) % 511);
  FuzzReply(data + 2, size - 2, [text_length](MsgBuf* buf) {
    ConnectReply reply;
    reply.text.resize(text_length);
    return Decode(buf, &reply);
  });
  return 0;
}
