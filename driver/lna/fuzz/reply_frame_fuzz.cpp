// A reply as it comes off the connection: the frame header, the payload and
// the reply header inside it. Whatever the bytes, the receive must not
// crash, read past what arrived or allocate beyond the payload limit, and a
// failure must leave a code in the thread's last error.
#include <cstdlib>
#include <cstring>

#include "common/tls_slot.h"
#include "driver/lna/frame.h"
#include "wire/msg_buf.h"

namespace {

const uint8_t* g_data;
size_t g_left;

int32_t Read(NetSocket, void* buffer, int32_t n) {
  if (g_left < static_cast<size_t>(n)) {
    TlsSlotSet(152);
    return 0;
  }
  std::memcpy(buffer, g_data, static_cast<size_t>(n));
  g_data += n;
  g_left -= static_cast<size_t>(n);
  return n;
}

const NetTransport kTable = {nullptr, nullptr, nullptr, nullptr, Read, nullptr};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  g_data = data;
  g_left = size;
  MsgBuf* buf = MsgBufCreate();
  if (buf == nullptr) return 0;
  TlsSlotSet(0);
  if (RpcRecvFrame(0, &kTable, buf)) {
    if (buf->write_len <= 4 || buf->write_len > kRpcMaxPayload || buf->read_pos != 0) std::abort();
    uint32_t length;
    if (!MsgBufGetU32(buf, &length) || length != buf->write_len) std::abort();
  } else if (TlsSlotGet() == 0) {
    std::abort();
  }
  MsgBufFree(buf);
  return 0;
}
