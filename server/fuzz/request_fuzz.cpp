// Requests, as a client might send them, through the request parser and the
// dispatcher of two sessions over the scripted backend. The input is a run
// of chunks: a byte choosing the session, a big-endian u16 length, then that
// many bytes of a request message after its length slot (the procedure id
// on). Whatever the bytes, the dispatcher must answer with a well-formed
// reply or close the connection, never crash, hang or leak.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "common/tls_slot.h"
#include "server/dispatcher.h"
#include "testing/dispatch_harness.h"
#include "wire/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  velsrv::ServerConfig config = velsrv_test::ScriptedConfig();
  config.admin = velsrv::AdminAccess::kAny;
  config.max_statements = 8;
  velsrv_test::Harness harness(velsrv::DefaultScriptedData(), config);
  std::shared_ptr<velsrv::Session> sessions[2] = {harness.NewSession(true),
                                                  harness.NewSession(false)};
  bool closed[2] = {false, false};
  MsgBuf* request = MsgBufCreate();
  MsgBuf* reply = MsgBufCreate();
  if (request == nullptr || reply == nullptr) std::abort();
  size_t pos = 0;
  while (pos + 3 <= size) {
    int which = data[pos] & 1;
    size_t n = (size_t{data[pos + 1]} << 8) | data[pos + 2];
    pos += 3;
    if (n > size - pos) n = size - pos;
    const uint8_t* body = data + pos;
    pos += n;
    if (closed[which]) continue;
    request->write_len = 0;
    request->read_pos = 0;
    uint32_t length = static_cast<uint32_t>(n + 4);
    if (!MsgBufPutU32(request, length) || !MsgBufPutBytes(request, body, static_cast<uint32_t>(n)))
      std::abort();
    TlsSlotSet(0);
    velsrv::DispatchOutcome outcome = velsrv::Dispatch(*sessions[which], request, reply);
    if (request->read_pos > request->write_len) std::abort();
    if (outcome == velsrv::DispatchOutcome::kClose) {
      closed[which] = true;
      continue;
    }
    // A reply header, naming the procedure the request named.
    if (reply->write_len < kMessageHeaderSize || n < 4 ||
        std::memcmp(reply->data + 4, body, 4) != 0)
      std::abort();
  }
  MsgBufFree(request);
  MsgBufFree(reply);
  return 0;
}
