// A stand-in server for tests: listens on 127.0.0.1 on an ephemeral port and
// plays one script per accepted connection (expect these request bytes, send
// these reply bytes, cut the connection, stall), recording what it read.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "wire/protocol.h"

namespace testing_peer {

using Bytes = std::vector<uint8_t>;

// One accepted connection, as a script step sees it. Reads give up after a
// few seconds so that a test whose client never writes cannot hang.
class PeerConnection {
 public:
  explicit PeerConnection(int fd) : fd_(fd) {}
  ~PeerConnection();
  PeerConnection(const PeerConnection&) = delete;
  PeerConnection& operator=(const PeerConnection&) = delete;

  // False on time-out or when the client closed first.
  bool ReadExact(uint8_t* out, size_t n);
  // True when the client closes its end (a read finds the end of the stream)
  // within the time-out, before sending anything more.
  bool WaitClosed();
  // Reads and drops whatever comes until the client closes its end or
  // `milliseconds` pass.
  void DrainUntilClosed(int milliseconds);
  bool WriteAll(const uint8_t* data, size_t n);
  // Reads one frame and returns its payload (the message with its length
  // slot); false on a bad magic, a short read or a time-out.
  bool ReadFrame(Bytes* payload);
  // Sends `payload` in a frame; the payload's first 4 bytes are overwritten
  // with its length, as a real sender does.
  bool WriteFrame(Bytes payload);
  void Close();
  bool closed() const { return fd_ < 0; }

 private:
  int fd_;
};

using Step = std::function<bool(PeerConnection&, std::vector<Bytes>& received)>;
using Script = std::vector<Step>;

// Steps. Each returns false to end the connection's script early.
Step Greet();                              // read the client's 255 bytes, answer 255
Step SendGreeting(size_t bytes);           // answer only this many greeting bytes
Step ReadGreeting();                       // read the client's 255 bytes only
Step RecordGreeting();                     // ... and record them as received
Step ExpectRequest();                      // read one frame, record its payload
Step ExpectRequest(const Bytes& payload);  // ... and fail the script unless equal
// One frame around the payload. A payload whose procedure and sequence
// fields (bytes 4 to 9) are zero gets those of the request it answers.
Step Reply(const Bytes& payload);
Step ReplyAsIs(const Bytes& payload);  // ... the payload exactly as given
Step SendRaw(const Bytes& bytes);      // bytes as they stand, no frame
Step ReadBytesThenClose(size_t n);     // read n bytes, then hang up
Step CloseConnection();
Step StallMs(int milliseconds);
// Answer nothing until the client hangs up, at most `milliseconds`: a
// server that stopped, for a script that should end with its client.
Step SilentUntilHangUp(int milliseconds);
Step ExpectClosed();  // fail the script unless the client hangs up next

// A loopback port on which nothing listens, outside the range the system
// picks ephemeral ports from, for connects that must be refused.
uint16_t UnusedLoopbackPort();

// Big-endian helpers for writing expected bytes in tests.
void PutU16(Bytes& out, uint16_t v);
void PutU32(Bytes& out, uint32_t v);
Bytes Frame(Bytes payload);  // the whole frame a sender puts on the wire

class ScriptedPeer {
 public:
  // Connection i plays scripts[i]; later connections are closed at once.
  explicit ScriptedPeer(std::vector<Script> scripts);
  ~ScriptedPeer();
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  uint16_t port() const { return port_; }
  // "127.0.0.1:<port>"
  std::string address() const;
  // Stops accepting (connections the client has made by then still play
  // their scripts), waits for every script to end, then returns what
  // connection i read (request payloads, in order).
  std::vector<Bytes> Received(size_t connection);
  // True when every script step that checked something succeeded.
  bool AllStepsPassed();
  int accepted() const { return accepted_.load(); }
  void Stop();

 private:
  void AcceptLoop();

  std::vector<Script> scripts_;
  int listen_fd_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> accepted_{0};
  std::thread acceptor_;
  std::mutex mutex_;
  std::vector<std::thread> workers_;
  std::vector<std::vector<Bytes>> received_;
  bool all_passed_ = true;
};

}  // namespace testing_peer
