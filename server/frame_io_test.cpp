// The frame reader over a socket pair: a frame bounded in time from its
// first byte, and a buffer that grows with the bytes that arrived rather
// than with the size a header declares.
#include "server/frame_io.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace velsrv {
namespace {

struct Pair {
  int fds[2] = {-1, -1};
  Pair() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0); }
  ~Pair() {
    for (int fd : fds) {
      if (fd >= 0) ::close(fd);
    }
  }
  int server() const { return fds[0]; }
  int client() const { return fds[1]; }
  void Send(const std::vector<uint8_t>& bytes) const {
    size_t sent = 0;
    while (sent < bytes.size()) {
      ssize_t k = ::send(client(), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (k <= 0) return;
      sent += static_cast<size_t>(k);
    }
  }
};

void Put32(std::vector<uint8_t>* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<uint8_t>(v >> shift));
}

// A frame header declaring `payload` bytes, and `sent` of them (the first
// four the message's length slot).
std::vector<uint8_t> Frame(uint32_t payload, uint32_t sent) {
  std::vector<uint8_t> out;
  Put32(&out, kFrameMagic);
  Put32(&out, payload + kFrameHeaderSize);
  Put32(&out, 0);
  Put32(&out, payload);
  Put32(&out, payload);
  for (uint32_t i = 4; i < sent; ++i) out.push_back(static_cast<uint8_t>(i));
  return out;
}

struct BufDeleter {
  void operator()(MsgBuf* b) const { MsgBufFree(b); }
};

TEST(FrameIoTest, TheBufferGrowsWithWhatArrivedNotWithTheDeclaredSize) {
  constexpr uint32_t kCap = 64u << 20;
  struct Case {
    uint32_t declared;
    uint32_t sent;
    FrameResult result;
    uint32_t max_capacity;
  } cases[] = {
      {48u << 20, 100, FrameResult::kBad, 1u << 20},       // cut short after a few bytes
      {48u << 20, 3u << 20, FrameResult::kBad, 8u << 20},  // cut short after 3 MB
      {5u << 20, 5u << 20, FrameResult::kOk, 16u << 20},   // a whole large frame
      {14, 14, FrameResult::kOk, 1u << 20},                // a small one
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sent);
    Pair p;
    std::unique_ptr<MsgBuf, BufDeleter> request(MsgBufCreate());
    std::thread writer([&] {
      p.Send(Frame(c.declared, c.sent));
      ::shutdown(p.client(), SHUT_WR);
    });
    FrameReader frames(p.server());
    FrameResult r = frames.Read(kCap, 10000, request.get());
    writer.join();
    EXPECT_EQ(r, c.result);
    EXPECT_LE(request->capacity, c.max_capacity);
    if (r == FrameResult::kOk) {
      ASSERT_EQ(request->write_len, c.declared);
      EXPECT_EQ(request->data[c.declared - 1], static_cast<uint8_t>(c.declared - 1));
    }
  }
}

// Frames that arrive together, or split anywhere, are each read whole and
// in order: what one receive brings beyond a frame belongs to the next.
TEST(FrameIoTest, FramesSentTogetherOrSplitAreReadOneByOne) {
  std::vector<uint8_t> stream;
  const uint32_t sizes[] = {14, 40, 200u << 10, 20, 70u << 10, 14};
  for (uint32_t size : sizes) {
    std::vector<uint8_t> f = Frame(size, size);
    stream.insert(stream.end(), f.begin(), f.end());
  }
  for (size_t piece : {stream.size(), size_t{1}, size_t{7}, size_t{16}, size_t{65536 + 3}}) {
    SCOPED_TRACE(piece);
    Pair p;
    std::unique_ptr<MsgBuf, BufDeleter> request(MsgBufCreate());
    std::thread writer([&] {
      for (size_t at = 0; at < stream.size(); at += piece)
        p.Send({stream.begin() + at, stream.begin() + std::min(stream.size(), at + piece)});
      ::shutdown(p.client(), SHUT_WR);
    });
    FrameReader frames(p.server());
    for (uint32_t size : sizes) {
      ASSERT_EQ(frames.Read(1u << 20, 10000, request.get()), FrameResult::kOk) << size;
      ASSERT_EQ(request->write_len, size);
      EXPECT_EQ(request->data[size - 1], static_cast<uint8_t>(size - 1));
    }
    EXPECT_EQ(frames.Read(1u << 20, 10000, request.get()), FrameResult::kClosed);
    writer.join();
  }
}

TEST(FrameIoTest, ADrippingClientRunsOutOfTimeFromItsFirstByte) {
  Pair p;
  std::unique_ptr<MsgBuf, BufDeleter> request(MsgBufCreate());
  std::vector<uint8_t> frame = Frame(100, 100);
  std::atomic<bool> done{false};
  std::thread dripper([&] {
    // One byte every 50 ms: each arrives well within the time-out, the
    // whole frame would take 5.8 s.
    for (size_t i = 0; i < frame.size() && !done; ++i) {
      p.Send({frame[i]});
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
  auto start = std::chrono::steady_clock::now();
  FrameReader frames(p.server());
  FrameResult r = frames.Read(4096, 400, request.get());
  auto took = std::chrono::steady_clock::now() - start;
  done = true;
  dripper.join();
  EXPECT_EQ(r, FrameResult::kTimeout);
  EXPECT_LT(took, std::chrono::seconds(5));
}

TEST(FrameIoTest, TheGreetingIsBoundedFromTheStartAndAnsweredWhole) {
  {
    Pair p;
    p.Send(std::vector<uint8_t>(200, 1));  // 55 bytes short, and no more
    EXPECT_EQ(ExchangeGreeting(p.server(), 200), FrameResult::kTimeout);
  }
  {
    Pair p;
    p.Send(std::vector<uint8_t>(kGreetingSize, 1));
    EXPECT_EQ(ExchangeGreeting(p.server(), 200), FrameResult::kOk);
    uint8_t theirs[kGreetingSize];
    size_t got = 0;
    while (got < sizeof theirs) {
      ssize_t k = ::recv(p.client(), theirs + got, sizeof theirs - got, 0);
      ASSERT_GT(k, 0);
      got += static_cast<size_t>(k);
    }
  }
}

}  // namespace
}  // namespace velsrv
