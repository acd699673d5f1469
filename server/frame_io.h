// The frames of one client connection: the greeting both sides send once,
// then one request frame and one reply frame per call. Network input is not
// trusted: a frame beyond the size cap, with a bad magic or with fields that
// disagree, ends the connection.
#pragma once

#include <chrono>
#include <cstdint>

#include "wire/msg_buf.h"
#include "wire/protocol.h"

namespace velsrv {

enum class FrameResult {
  kOk,
  kClosed,   // the peer closed or the socket was shut down, between frames
  kBad,      // a bad magic, a size beyond the cap, fields that disagree, a cut frame
  kTimeout,  // begun but not finished in time
  kIdle,     // no frame began before the bound the caller set
};

// Reads the client's 255 greeting bytes and answers with 255 of the server's.
// All 255 must be in within `timeout_ms` of the call.
FrameResult ExchangeGreeting(int fd, int timeout_ms);

// The request frames of one connection. Each receive takes what the socket
// holds, up to a small buffer's worth, so that a frame usually arrives in
// one system call; bytes beyond the frame (the client's next request) wait
// here for the next read.
class FrameReader {
 public:
  explicit FrameReader(int fd) : fd_(fd) {}
  FrameReader(const FrameReader&) = delete;
  FrameReader& operator=(const FrameReader&) = delete;

  // Waits as long as it takes for a frame to begin; once it has, the whole
  // frame must be in within `timeout_ms` of its first byte. `request`
  // receives the payload (the message from its length slot on), read
  // position 0; its buffer grows with the bytes that arrive, not with the
  // size the header declares. `until`, when given, bounds both the wait
  // (kIdle when no frame began by then) and the frame.
  FrameResult Read(uint32_t max_payload, int timeout_ms, MsgBuf* request,
                   const std::chrono::steady_clock::time_point* until = nullptr);

  // Whether the next request (or the connection's end) has begun to arrive.
  bool InputWaiting();

 private:
  static constexpr size_t kStashSize = 64u << 10;
  int fd_;
  uint8_t stash_[kStashSize];
  size_t begin_ = 0;  // the unread bytes of stash_ run from begin_ to end_
  size_t end_ = 0;
};

// Fills the reply's length slot and sends it in one frame.
bool WriteReplyFrame(int fd, MsgBuf* reply);

}  // namespace velsrv
