#include "testing/scripted_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "wire/byte_order.h"

namespace testing_peer {

namespace {

constexpr int kIoTimeoutMs = 5000;
// A real reply is far smaller; a test peer refuses to allocate more.
constexpr uint32_t kMaxPayload = 64u << 20;

}  // namespace

void PutU16(Bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

void PutU32(Bytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

// Spelled out here rather than written by the codec, as the tests compare
// what the driver sends with frames made by this.
Bytes Frame(Bytes payload) {
  if (payload.size() >= 4) {
    Bytes length;
    PutU32(length, static_cast<uint32_t>(payload.size()));
    std::memcpy(payload.data(), length.data(), 4);
  }
  Bytes frame;
  PutU32(frame, kFrameMagic);
  PutU32(frame, static_cast<uint32_t>(payload.size() + kFrameHeaderSize));
  PutU16(frame, 0);
  PutU16(frame, 0);
  PutU32(frame, static_cast<uint32_t>(payload.size()));
  frame.insert(frame.end(), payload.begin(), payload.end());
  return frame;
}

PeerConnection::~PeerConnection() {
  Close();
}

void PeerConnection::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool PeerConnection::ReadExact(uint8_t* out, size_t n) {
  size_t got = 0;
  while (got < n) {
    if (fd_ < 0) return false;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, kIoTimeoutMs) <= 0) return false;
    ssize_t r = ::recv(fd_, out + got, n - got, 0);
    if (r <= 0) return false;
    got += static_cast<size_t>(r);
  }
  return true;
}

bool PeerConnection::WaitClosed() {
  if (fd_ < 0) return false;
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, kIoTimeoutMs) <= 0) return false;
  uint8_t byte;
  return ::recv(fd_, &byte, 1, 0) == 0;
}

void PeerConnection::DrainUntilClosed(int milliseconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  uint8_t sink[4096];
  while (fd_ >= 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    end - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) return;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0) return;
    if (::recv(fd_, sink, sizeof sink, 0) <= 0) return;
  }
}

bool PeerConnection::WriteAll(const uint8_t* data, size_t n) {
  size_t sent = 0;
  while (sent < n) {
    if (fd_ < 0) return false;
    ssize_t r = ::send(fd_, data + sent, n - sent, MSG_NOSIGNAL);
    if (r <= 0) return false;
    sent += static_cast<size_t>(r);
  }
  return true;
}

bool PeerConnection::ReadFrame(Bytes* payload) {
  uint8_t head[kFrameHeaderSize];
  if (!ReadExact(head, sizeof head)) return false;
  FrameHeader header = ParseFrameHeader(head);
  if (header.magic != kFrameMagic) return false;
  uint32_t length = header.payload_length;
  if (length > kMaxPayload) return false;
  payload->assign(length, 0);
  return ReadExact(payload->data(), length);
}

bool PeerConnection::WriteFrame(Bytes payload) {
  Bytes frame = Frame(std::move(payload));
  return WriteAll(frame.data(), frame.size());
}

Step ReadGreeting() {
  return [](PeerConnection& c, std::vector<Bytes>&) {
    uint8_t greeting[kGreetingSize];
    return c.ReadExact(greeting, sizeof greeting);
  };
}

Step RecordGreeting() {
  return [](PeerConnection& c, std::vector<Bytes>& received) {
    Bytes greeting(kGreetingSize);
    if (!c.ReadExact(greeting.data(), greeting.size())) return false;
    received.push_back(std::move(greeting));
    return true;
  };
}

Step SendGreeting(size_t bytes) {
  return [bytes](PeerConnection& c, std::vector<Bytes>&) {
    Bytes greeting(bytes, 0);
    const char text[] = "Test server";
    std::memcpy(greeting.data(), text, std::min(bytes, sizeof text - 1));
    return c.WriteAll(greeting.data(), greeting.size());
  };
}

Step Greet() {
  return [](PeerConnection& c, std::vector<Bytes>& received) {
    return ReadGreeting()(c, received) && SendGreeting(kGreetingSize)(c, received);
  };
}

Step ExpectRequest() {
  return [](PeerConnection& c, std::vector<Bytes>& received) {
    Bytes payload;
    if (!c.ReadFrame(&payload)) return false;
    received.push_back(std::move(payload));
    return true;
  };
}

Step ExpectRequest(const Bytes& expected) {
  return [expected](PeerConnection& c, std::vector<Bytes>& received) {
    Bytes payload;
    if (!c.ReadFrame(&payload)) return false;
    received.push_back(payload);
    return payload == expected;
  };
}

namespace {

// The request being answered: the last payload read, when it is a message
// (its length slot holds its own length).
const Bytes* LastRequest(const std::vector<Bytes>& received) {
  if (received.empty() || received.back().size() < kMessageHeaderSize) return nullptr;
  const Bytes& r = received.back();
  return LoadBe32(r.data()) == r.size() ? &r : nullptr;
}

}  // namespace

Step Reply(const Bytes& payload) {
  return [payload](PeerConnection& c, std::vector<Bytes>& received) {
    Bytes reply = payload;
    // As a server does, the reply names the procedure and the sequence
    // number it answers, unless the script gave them.
    const Bytes* request = LastRequest(received);
    if (request != nullptr && reply.size() >= kMessageHeaderSize &&
        std::all_of(reply.begin() + 4, reply.begin() + 10, [](uint8_t b) { return b == 0; }))
      std::copy(request->begin() + 4, request->begin() + 10, reply.begin() + 4);
    return c.WriteFrame(reply);
  };
}

Step ReplyAsIs(const Bytes& payload) {
  return [payload](PeerConnection& c, std::vector<Bytes>&) { return c.WriteFrame(payload); };
}

Step SendRaw(const Bytes& bytes) {
  return [bytes](PeerConnection& c, std::vector<Bytes>&) {
    return c.WriteAll(bytes.data(), bytes.size());
  };
}

Step ReadBytesThenClose(size_t n) {
  return [n](PeerConnection& c, std::vector<Bytes>&) {
    Bytes sink(n);
    c.ReadExact(sink.data(), n);
    c.Close();
    return true;
  };
}

Step CloseConnection() {
  return [](PeerConnection& c, std::vector<Bytes>&) {
    c.Close();
    return true;
  };
}

Step StallMs(int milliseconds) {
  return [milliseconds](PeerConnection&, std::vector<Bytes>&) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return true;
  };
}

Step SilentUntilHangUp(int milliseconds) {
  return [milliseconds](PeerConnection& c, std::vector<Bytes>&) {
    c.DrainUntilClosed(milliseconds);
    return true;
  };
}

Step ExpectClosed() {
  return [](PeerConnection& c, std::vector<Bytes>&) { return c.WaitClosed(); };
}

namespace {

bool CanBind(uint16_t port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  bool free = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  ::close(fd);
  return free;
}

}  // namespace

uint16_t UnusedLoopbackPort() {
  // A port the system never hands out for bind(0): otherwise a peer of a
  // test running at the same time could get it and answer.
  unsigned low = 32768, high = 60999;
  if (FILE* f = std::fopen("/proc/sys/net/ipv4/ip_local_port_range", "r")) {
    if (std::fscanf(f, "%u %u", &low, &high) != 2) low = 32768, high = 60999;
    std::fclose(f);
  }
  unsigned first = low > 11024 ? 10000 : high + 1;
  unsigned last = low > 11024 ? low - 1 : 65535;
  if (first > last) return 0;
  unsigned span = last - first + 1;
  unsigned start =
      static_cast<unsigned>(::getpid()) * 7919u +
      static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (unsigned i = 0; i < span; ++i) {
    auto port = static_cast<uint16_t>(first + (start + i) % span);
    if (CanBind(port)) return port;
  }
  return 0;
}

ScriptedPeer::ScriptedPeer(std::vector<Script> scripts) : scripts_(std::move(scripts)) {
  received_.resize(scripts_.size());
  listen_fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
  int on = 1;
  ::setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  if (::bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(listen_fd_, 16) != 0) {
    ::close(listen_fd_);
    listen_fd_ = -1;
    return;
  }
  socklen_t len = sizeof addr;
  ::getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

ScriptedPeer::~ScriptedPeer() {
  Stop();
}

std::string ScriptedPeer::address() const {
  return "127.0.0.1:" + std::to_string(port_);
}

void ScriptedPeer::AcceptLoop() {
  for (;;) {
    // Once stopping, connections the client has already made still get
    // their scripts; then the loop ends.
    bool stopping = stop_.load();
    pollfd p{listen_fd_, POLLIN, 0};
    if (::poll(&p, 1, stopping ? 0 : 50) <= 0) {
      if (stopping) return;
      continue;
    }
    int fd = ::accept(listen_fd_, nullptr, nullptr);
    if (fd < 0) continue;
    size_t index = static_cast<size_t>(accepted_.fetch_add(1));
    if (index >= scripts_.size()) {
      ::close(fd);
      continue;
    }
    std::lock_guard<std::mutex> hold(mutex_);
    workers_.emplace_back([this, fd, index] {
      PeerConnection connection(fd);
      std::vector<Bytes> received;
      bool passed = true;
      for (const Step& step : scripts_[index]) {
        if (!step(connection, received)) {
          passed = false;
          break;
        }
      }
      std::lock_guard<std::mutex> hold(mutex_);
      received_[index] = std::move(received);
      if (!passed) all_passed_ = false;
    });
  }
}

void ScriptedPeer::Stop() {
  if (!stop_.exchange(true) && acceptor_.joinable()) acceptor_.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    workers.swap(workers_);
  }
  for (auto& t : workers) t.join();
  if (listen_fd_ >= 0) ::close(listen_fd_);
  listen_fd_ = -1;
}

std::vector<Bytes> ScriptedPeer::Received(size_t connection) {
  Stop();
  std::lock_guard<std::mutex> hold(mutex_);
  return connection < received_.size() ? received_[connection] : std::vector<Bytes>{};
}

bool ScriptedPeer::AllStepsPassed() {
  Stop();
  std::lock_guard<std::mutex> hold(mutex_);
  return all_passed_;
}

}  // namespace testing_peer
