#include "driver/lna/frame.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/tls_slot.h"
#include "driver/lna/net_error.h"
#include "testing/scripted_peer.h"
#include "testing/wire_test_bytes.h"

namespace {

using wire_test::Be16;
using wire_test::Be32;
using wire_test::BufFrom;
using wire_test::Bytes;
using wire_test::Cat;
using wire_test::NewBuf;
using wire_test::Written;

// A transport over memory: sends are collected, reads are served from
// `incoming` exactly as the TCP reads are (all n bytes, or 0 at the end).
Bytes g_sent;
Bytes g_incoming;
size_t g_consumed = 0;

int32_t FakeSend(NetSocket, const void* data, int32_t n) {
  const auto* p = static_cast<const uint8_t*>(data);
  g_sent.insert(g_sent.end(), p, p + n);
  return n;
}

int32_t FakeRead(NetSocket, void* buffer, int32_t n) {
  if (g_incoming.size() - g_consumed < static_cast<size_t>(n)) {
    TlsSlotSet(kNetErrClosed);
    return 0;
  }
  std::memcpy(buffer, g_incoming.data() + g_consumed, static_cast<size_t>(n));
  g_consumed += static_cast<size_t>(n);
  return n;
}

const NetTransport kFake = {nullptr, nullptr, nullptr, FakeSend, FakeRead, nullptr};

void Serve(const Bytes& bytes) {
  g_incoming = bytes;
  g_consumed = 0;
}

TEST(Frame, RequestGoesOutBehindTheFrameHeader) {
  g_sent.clear();
  Bytes message = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1, 0, 1, 0, 1, 0, 1};
  auto buf = BufFrom(message);
  ASSERT_EQ(RpcSendFrame(0, &kFake, buf.get()), 1);
  message[0] = message[1] = message[2] = 0;
  message[3] = 14;
  EXPECT_EQ(g_sent, Cat({Be32(0x27B25D1A), Be32(30), Be16(0), Be16(0), Be32(14), message}));
  EXPECT_EQ(Written(buf.get()), message);  // its length slot now filled in
}

TEST(Frame, ReplyIsReadIntoTheMessage) {
  Bytes payload(1500, 0x33);
  Serve(testing_peer::Frame(payload));
  auto buf = NewBuf();
  buf->read_pos = 9;
  ASSERT_EQ(RpcRecvFrame(0, &kFake, buf.get()), 1);
  EXPECT_EQ(buf->capacity, 2048u);  // grown once, to the power-of-two multiple of 1024
  EXPECT_EQ(buf->read_pos, 0u);
  Bytes frame = testing_peer::Frame(payload);
  EXPECT_EQ(Written(buf.get()), Bytes(frame.begin() + 16, frame.end()));
}

// A peer that declares the largest payload and sends little of it makes the
// buffer grow only with what it sent; a payload that does come whole is
// read whole, however it was split.
TEST(Frame, ThePayloadIsReservedAsItArrives) {
  Bytes sent(100 << 10, 0x44);
  Bytes head = Cat({Be32(0x27B25D1A), Be32(kRpcMaxPayload + 16), Be16(0), Be16(0),
                    Be32(kRpcMaxPayload), Be32(kRpcMaxPayload)});
  Serve(Cat({head, sent}));
  auto buf = NewBuf();
  TlsSlotSet(0);
  EXPECT_EQ(RpcRecvFrame(0, &kFake, buf.get()), 0);
  EXPECT_EQ(TlsSlotGet(), kNetErrClosed);
  EXPECT_LE(buf->capacity, 4 * sent.size());

  Bytes payload(3 << 20);
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i % 251);
  Serve(testing_peer::Frame(payload));
  buf = NewBuf();
  ASSERT_EQ(RpcRecvFrame(0, &kFake, buf.get()), 1);
  Bytes frame = testing_peer::Frame(payload);
  EXPECT_EQ(Written(buf.get()), Bytes(frame.begin() + 16, frame.end()));
}

TEST(Frame, BadRepliesFailTheReceive) {
  Bytes good_head = Cat({Be32(0x27B25D1A), Be32(16 + 20), Be16(0), Be16(0), Be32(20)});
  struct Case {
    const char* name;
    Bytes incoming;
    uint32_t code;
    size_t consumed;
  };
  const Case cases[] = {
      {"magic in the other byte order", Cat({Be32(0x1A5DB227), Be32(36), Be32(0), Be32(20)}),
       kWireErrBadRead, 4},
      {"payload of the length slot only",
       Cat({Be32(0x27B25D1A), Be32(20), Be32(0), Be32(4), Be32(4)}), kWireErrBadRead, 20},
      {"frame length disagrees",
       Cat({Be32(0x27B25D1A), Be32(99), Be32(0), Be32(20), Be32(20), Bytes(16)}), kWireErrBadRead,
       20},
      {"payload length field disagrees",
       Cat({Be32(0x27B25D1A), Be32(36), Be32(0), Be32(21), Be32(20), Bytes(16)}), kWireErrBadRead,
       20},
      {"payload beyond any real reply",
       Cat({Be32(0x27B25D1A), Be32(kRpcMaxPayload + 17), Be32(0), Be32(kRpcMaxPayload + 1),
            Be32(kRpcMaxPayload + 1)}),
       kWireErrBadRead, 20},
      {"connection closed inside the payload", Cat({good_head, Be32(20), Bytes(10)}), kNetErrClosed,
       20},
      {"connection closed inside the header", Bytes(good_head.begin(), good_head.begin() + 9),
       kNetErrClosed, 4},
  };
  for (const Case& c : cases) {
    Serve(c.incoming);
    auto buf = NewBuf();
    TlsSlotSet(0);
    EXPECT_EQ(RpcRecvFrame(0, &kFake, buf.get()), 0) << c.name;
    EXPECT_EQ(TlsSlotGet(), c.code) << c.name;
    EXPECT_EQ(g_consumed, c.consumed) << c.name;
    EXPECT_EQ(buf->capacity, 1024u) << c.name;
    EXPECT_EQ(buf->read_pos, 0u) << c.name;
  }
}

}  // namespace
