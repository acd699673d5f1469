// Shared body of the reply fuzz targets: the input is a reply's results (what
// follows the reply header); `unpack` reads them as a stub would and frees
// what it got. Whatever the bytes, unpacking must not crash or leak, and a
// failure must leave its reason in the thread's last error.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "common/tls_slot.h"
#include "wire/msg_buf.h"

template <typename Unpack>
void FuzzReply(const uint8_t* data, size_t size, Unpack unpack) {
  MsgBuf* buf = MsgBufCreate();
  if (buf == nullptr) return;
  if (size > 0 && !MsgBufPutBytes(buf, data, static_cast<uint32_t>(size))) {
    MsgBufFree(buf);
    return;
  }
  TlsSlotSet(0);
  int ok = unpack(buf);
  if (ok && !MsgBufAllRead(buf)) ok = 0;
  uint32_t code = TlsSlotGet();
  if (buf->read_pos > buf->write_len) std::abort();
  // Arrays grow only with elements that really decode, so a lying count
  // ends in a short read, never in an allocation failure.
  if (!ok && code != kWireErrBadRead) std::abort();
  MsgBufFree(buf);
}
