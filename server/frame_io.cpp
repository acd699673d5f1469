#include "server/frame_io.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace velsrv {

namespace {

enum class ReadResult { kOk, kClosed, kTimeout };

// timeout_ms < 0 waits without limit.
ReadResult ReadExact(int fd, uint8_t* out, size_t n, int timeout_ms) {
  size_t got = 0;
  while (got < n) {
    pollfd p{fd, POLLIN, 0};
    int r = ::poll(&p, 1, timeout_ms);
    if (r < 0 && errno == EINTR) continue;
    if (r == 0) return ReadResult::kTimeout;
    if (r < 0) return ReadResult::kClosed;
    ssize_t k = ::recv(fd, out + got, n - got, 0);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return ReadResult::kClosed;
    got += static_cast<size_t>(k);
  }
  return ReadResult::kOk;
}

bool WriteAll(int fd, const uint8_t* data, size_t n) {
  size_t sent = 0;
  while (sent < n) {
    ssize_t k = ::send(fd, data + sent, n - sent, MSG_NOSIGNAL);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    sent += static_cast<size_t>(k);
  }
  return true;
}

uint32_t GetBE32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void PutBE32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

}  // namespace

bool ExchangeGreeting(int fd, int timeout_ms) {
  uint8_t theirs[kGreetingSize];
  if (ReadExact(fd, theirs, sizeof theirs, timeout_ms) != ReadResult::kOk) return false;
  uint8_t ours[kGreetingSize] = {};
  static const char kText[] = "velsrv";
  std::memcpy(ours, kText, sizeof kText - 1);
  return WriteAll(fd, ours, sizeof ours);
}

FrameResult ReadRequestFrame(int fd, uint32_t max_payload, int timeout_ms, MsgBuf* request) {
  request->write_len = 0;
  request->read_pos = 0;
  uint8_t header[kFrameHeaderSize];
  // Idle between calls for as long as the client likes.
  ReadResult r = ReadExact(fd, header, 1, -1);
  if (r != ReadResult::kOk) return FrameResult::kClosed;
  if (ReadExact(fd, header + 1, sizeof header - 1, timeout_ms) != ReadResult::kOk)
    return FrameResult::kBad;
  uint32_t magic = GetBE32(header);
  uint32_t frame_length = GetBE32(header + 4);
  uint32_t payload_length = GetBE32(header + 12);
  if (magic != kFrameMagic || payload_length > max_payload ||
      frame_length != payload_length + kFrameHeaderSize || payload_length < 4)
    return FrameResult::kBad;
  if (!MsgBufReserve(request, payload_length)) return FrameResult::kBad;
  if (ReadExact(fd, request->data, payload_length, timeout_ms) != ReadResult::kOk)
    return FrameResult::kBad;
  request->write_len = payload_length;
  // The message's own length slot says the same again.
  if (GetBE32(request->data) != payload_length) return FrameResult::kBad;
  return FrameResult::kOk;
}

bool WriteReplyFrame(int fd, MsgBuf* reply) {
  uint32_t n = reply->write_len;
  if (n < 4) return false;
  PutBE32(reply->data, n);
  uint8_t header[kFrameHeaderSize] = {};
  PutBE32(header, kFrameMagic);
  PutBE32(header + 4, n + kFrameHeaderSize);
  PutBE32(header + 12, n);
  // Header and message in one send where the kernel takes them so.
  iovec parts[2] = {{header, sizeof header}, {reply->data, n}};
  msghdr msg{};
  msg.msg_iov = parts;
  msg.msg_iovlen = 2;
  ssize_t k;
  do {
    k = ::sendmsg(fd, &msg, MSG_NOSIGNAL);
  } while (k < 0 && errno == EINTR);
  if (k < 0) return false;
  size_t sent = static_cast<size_t>(k);
  if (sent < sizeof header) {
    return WriteAll(fd, header + sent, sizeof header - sent) && WriteAll(fd, reply->data, n);
  }
  sent -= sizeof header;
  return WriteAll(fd, reply->data + sent, n - sent);
}

}  // namespace velsrv
