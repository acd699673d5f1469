#include "server/frame_io.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>

#include "wire/byte_order.h"

namespace velsrv {

namespace {

constexpr uint32_t kFirstReadStep = 64u << 10;

enum class ReadResult { kOk, kClosed, kTimeout };

using Clock = std::chrono::steady_clock;

// What is left of the time from `deadline`, for poll: at least 0.
int RemainingMs(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(std::min<int64_t>(left.count(), INT32_MAX)) : 0;
}

// Waits for input until the deadline, or without limit when there is none.
ReadResult WaitReadable(int fd, const Clock::time_point* deadline) {
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    int r = ::poll(&p, 1, deadline != nullptr ? RemainingMs(*deadline) : -1);
    if (r < 0 && errno == EINTR) continue;
    if (r == 0) return ReadResult::kTimeout;
    if (r < 0) return ReadResult::kClosed;
    return ReadResult::kOk;
  }
}

// Reads up to `n` bytes once input is there.
ReadResult ReadSome(int fd, uint8_t* out, size_t n, const Clock::time_point* deadline,
                    size_t* got) {
  for (;;) {
    ReadResult w = WaitReadable(fd, deadline);
    if (w != ReadResult::kOk) return w;
    ssize_t k = ::recv(fd, out, n, 0);
    if (k < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (k <= 0) return ReadResult::kClosed;
    *got = static_cast<size_t>(k);
    return ReadResult::kOk;
  }
}

// The whole of `n` bytes by the deadline: a client that sends a byte now and
// then cannot stretch it.
ReadResult ReadExact(int fd, uint8_t* out, size_t n, const Clock::time_point* deadline) {
  size_t got = 0;
  while (got < n) {
    size_t k = 0;
    ReadResult r = ReadSome(fd, out + got, n - got, deadline, &k);
    if (r != ReadResult::kOk) return r;
    got += k;
  }
  return ReadResult::kOk;
}

FrameResult FromRead(ReadResult r) {
  return r == ReadResult::kTimeout ? FrameResult::kTimeout : FrameResult::kBad;
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

}  // namespace

FrameResult ExchangeGreeting(int fd, int timeout_ms) {
  uint8_t theirs[kGreetingSize];
  // The time runs from the connection's start: a client that says nothing
  // holds no connection either.
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  ReadResult r = ReadExact(fd, theirs, sizeof theirs, &deadline);
  if (r != ReadResult::kOk) return FromRead(r);
  uint8_t ours[kGreetingSize] = {};
  static const char kText[] = "velsrv";
  std::memcpy(ours, kText, sizeof kText - 1);
  return WriteAll(fd, ours, sizeof ours) ? FrameResult::kOk : FrameResult::kClosed;
}

FrameResult FrameReader::Read(uint32_t max_payload, int timeout_ms, MsgBuf* request,
                              const Clock::time_point* until) {
  request->write_len = 0;
  request->read_pos = 0;
  // Idle between calls for as long as the client likes: a plain receive
  // blocks until the next frame begins (or the connection ends).
  if (begin_ == end_) {
    begin_ = end_ = 0;
    if (until != nullptr) {
      ReadResult w = WaitReadable(fd_, until);
      if (w == ReadResult::kTimeout) return FrameResult::kIdle;
      if (w != ReadResult::kOk) return FrameResult::kClosed;
    }
    ssize_t k;
    do {
      k = ::recv(fd_, stash_, sizeof stash_, 0);
    } while (k < 0 && errno == EINTR);
    if (k <= 0) return FrameResult::kClosed;
    end_ = static_cast<size_t>(k);
  }
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  if (until != nullptr && *until < deadline) deadline = *until;
  // Takes up to `n` bytes into `out`: first what is held, then at most one
  // receive into the stash (only ever of what this frame still lacks when
  // `direct`, which reads straight into `out`).
  auto take = [&](uint8_t* out, size_t n, bool direct, size_t* got) -> ReadResult {
    if (begin_ == end_) {
      begin_ = end_ = 0;
      size_t k = 0;
      ReadResult r = direct ? ReadSome(fd_, out, n, &deadline, &k)
                            : ReadSome(fd_, stash_, sizeof stash_, &deadline, &k);
      if (r != ReadResult::kOk) return r;
      if (direct) {
        *got = k;
        return ReadResult::kOk;
      }
      end_ = k;
    }
    *got = std::min(n, end_ - begin_);
    std::memcpy(out, stash_ + begin_, *got);
    begin_ += *got;
    return ReadResult::kOk;
  };
  uint8_t header[kFrameHeaderSize];
  for (size_t have = 0; have < sizeof header;) {
    size_t k = 0;
    ReadResult r = take(header + have, sizeof header - have, false, &k);
    if (r != ReadResult::kOk) return FromRead(r);
    have += k;
  }
  FrameHeader frame = ParseFrameHeader(header);
  if (!FrameHeaderValid(frame, max_payload)) return FrameResult::kBad;
  uint32_t payload_length = frame.payload_length;
  // The buffer grows with what has arrived, never ahead of it by more than
  // what has arrived already: a header alone cannot pin the declared size.
  while (request->write_len < payload_length) {
    uint32_t left = payload_length - request->write_len;
    uint32_t step = std::min(left, std::max(kFirstReadStep, request->write_len));
    if (!MsgBufReserve(request, step)) return FrameResult::kBad;
    size_t room = std::min<size_t>(left, request->capacity - request->write_len);
    size_t k = 0;
    // A large remainder is read in place; a small one through the stash,
    // which may bring the next request along.
    ReadResult r = take(request->data + request->write_len, room, room >= sizeof stash_, &k);
    if (r != ReadResult::kOk) return FromRead(r);
    request->write_len += static_cast<uint32_t>(k);
  }
  // The message's own length slot says the same again.
  if (LoadBe32(request->data) != payload_length) return FrameResult::kBad;
  return FrameResult::kOk;
}

bool FrameReader::InputWaiting() {
  if (begin_ != end_) return true;
  pollfd p{fd_, POLLIN, 0};
  int r;
  do {
    r = ::poll(&p, 1, 0);
  } while (r < 0 && errno == EINTR);
  return r != 0;
}

bool WriteReplyFrame(int fd, MsgBuf* reply) {
  uint32_t n = reply->write_len;
  if (n < 4) return false;
  SetLengthSlot(reply);
  uint8_t header[kFrameHeaderSize];
  EncodeFrameHeader(n, header);
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
