#include "wire/protocol.h"

#include <gtest/gtest.h>

#include "testing/wire_test_bytes.h"

namespace {

using wire_test::Be16;
using wire_test::Be32;
using wire_test::BufFrom;
using wire_test::BufPtr;
using wire_test::Bytes;
using wire_test::Cat;
using wire_test::NewBuf;
using wire_test::Written;

TEST(Protocol, HeadersAreWrittenFieldByField) {
  uint8_t frame[kFrameHeaderSize];
  EncodeFrameHeader(20, frame);
  EXPECT_EQ(Bytes(frame, frame + kFrameHeaderSize),
            Cat({Be32(0x27B25D1A), Be32(36), Be16(0), Be16(0), Be32(20)}));

  BufPtr request = NewBuf();
  ASSERT_EQ(EncodeRequestHeader(request.get(), kRpcExecDirect, 0x0102), 1);
  EXPECT_EQ(Written(request.get()), Cat({Be32(0), Be32(13), Be16(0x0102), Be16(0x0102), Be16(1)}));

  BufPtr reply = NewBuf();
  ASSERT_EQ(EncodeReplyHeader(reply.get(), kRpcFetch, 7, -16), 1);
  EXPECT_EQ(Written(reply.get()), Cat({Be32(0), Be32(15), Be16(7), Be16(0xFFF0), Be16(1)}));
  SetReplyStatus(reply.get(), -20);
  SetLengthSlot(reply.get());
  EXPECT_EQ(Written(reply.get()), Cat({Be32(14), Be32(15), Be16(7), Be16(0xFFEC), Be16(1)}));
}

TEST(Protocol, HeadersAreReadBack) {
  BufPtr request = BufFrom(Cat({Be32(18), Be32(25), Be16(9), Be16(9), Be16(1), Be32(5)}));
  RequestHeader peeked{};
  ASSERT_TRUE(PeekRequestHeader(request.get(), &peeked));
  EXPECT_EQ(request->read_pos, 0u);
  RequestHeader parsed{};
  ASSERT_EQ(ParseRequestHeader(request.get(), &parsed), 1);
  EXPECT_EQ(request->read_pos, kMessageHeaderSize);
  for (const RequestHeader& h : {peeked, parsed}) {
    EXPECT_EQ(h.length, 18u);
    EXPECT_EQ(h.procedure, uint32_t{kRpcPrepare});
    EXPECT_EQ(h.sequence, 9);
  }

  BufPtr reply = BufFrom(Cat({Be32(14), Be32(2), Be16(3), Be16(0xFFEC), Be16(1)}));
  ReplyHeader r{};
  ASSERT_EQ(ParseReplyHeader(reply.get(), &r), 1);
  EXPECT_EQ(r.procedure, uint32_t{kRpcFetchBlock});
  EXPECT_EQ(r.sequence, 3);
  EXPECT_EQ(r.status, -20);

  BufPtr short_message = BufFrom(Bytes(kMessageHeaderSize - 1, 0));
  EXPECT_FALSE(PeekRequestHeader(short_message.get(), &peeked));
  EXPECT_EQ(ParseReplyHeader(short_message.get(), &r), 0);
  EXPECT_FALSE(PeekRequestHeader(nullptr, &peeked));
}

TEST(Protocol, BothPeersJudgeAFrameHeaderAlike) {
  constexpr uint32_t kCap = 1000;
  struct Case {
    const char* name;
    Bytes header;
    bool valid;
  };
  const Case cases[] = {
      {"a message header alone", Cat({Be32(0x27B25D1A), Be32(30), Be32(0), Be32(14)}), true},
      {"at the cap", Cat({Be32(0x27B25D1A), Be32(kCap + 16), Be32(0), Be32(kCap)}), true},
      {"magic in the other byte order", Cat({Be32(0x1A5DB227), Be32(30), Be32(0), Be32(14)}),
       false},
      {"the length slot only", Cat({Be32(0x27B25D1A), Be32(20), Be32(0), Be32(4)}), false},
      {"shorter than a message header", Cat({Be32(0x27B25D1A), Be32(29), Be32(0), Be32(13)}),
       false},
      {"beyond the cap", Cat({Be32(0x27B25D1A), Be32(kCap + 17), Be32(0), Be32(kCap + 1)}), false},
      {"frame length disagrees", Cat({Be32(0x27B25D1A), Be32(31), Be32(0), Be32(14)}), false},
  };
  for (const Case& c : cases) {
    FrameHeader h = ParseFrameHeader(c.header.data());
    EXPECT_EQ(FrameHeaderValid(h, kCap), c.valid) << c.name;
  }
  // A payload length near the top cannot wrap the frame length into
  // agreement, whatever the cap.
  EXPECT_FALSE(FrameHeaderValid(FrameHeader{kFrameMagic, 14, 0xFFFFFFFEu}, 0xFFFFFFFFu));
}

}  // namespace
