// Shared pieces of the transport and procedure tests: a private settings
// area, a recorded stand-in for the waits between connect attempts, and the
// request and reply images the scripted peer expects and sends.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "driver/lna/transport.h"
#include "testing/registry_sandbox.h"
#include "testing/scripted_peer.h"
#include "testing/test_env.h"
#include "testing/wire_test_bytes.h"

namespace lna_test {

using wire_test::Be16;
using wire_test::Be32;
using wire_test::Bytes;
using wire_test::Cat;
using wire_test::Null;
using wire_test::Str;

inline std::mutex g_waits_mutex;
inline std::vector<uint32_t> g_waits;

inline void RecordWait(uint32_t milliseconds) {
  std::lock_guard<std::mutex> hold(g_waits_mutex);
  g_waits.push_back(milliseconds);
}

inline std::vector<uint32_t> Waits() {
  std::lock_guard<std::mutex> hold(g_waits_mutex);
  return g_waits;
}

// Every test that connects reads the proxy settings: they come from a
// sandbox, never from the user's own settings.
class NetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_registry::UseSandbox();
    {
      std::lock_guard<std::mutex> hold(g_waits_mutex);
      g_waits.clear();
    }
    waits_.emplace(RecordWait);
  }
  void TearDown() override { waits_.reset(); }

 private:
  std::optional<ScopedSleep> waits_;
};

// A request as the peer receives it: the length slot filled in, the
// procedure, the sequence number twice, 1, then the fields.
inline Bytes RequestBytes(uint32_t procedure, uint16_t sequence, const Bytes& fields) {
  return Cat({Be32(static_cast<uint32_t>(14 + fields.size())), Be32(procedure), Be16(sequence),
              Be16(sequence), Be16(1), fields});
}

// A reply payload: header with the status at offset 10, then the fields.
inline Bytes ReplyBytes(int16_t status, const Bytes& fields) {
  return Cat({Be32(0), Be32(0), Be16(0), Be16(static_cast<uint16_t>(status)), Be16(0), fields});
}

inline std::string RefusedAddress() {
  return "127.0.0.1:" + std::to_string(testing_peer::UnusedLoopbackPort());
}

}  // namespace lna_test
