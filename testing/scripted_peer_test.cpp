#include "testing/scripted_peer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testing_peer {
namespace {

int ConnectTo(uint16_t port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

TEST(ScriptedPeer, PlaysGreetingRequestAndReply) {
  Bytes request = {0, 0, 0, 0, 0, 1, 0, 2, 0, 2, 0, 1};
  Bytes expected = request;
  expected[3] = 12;  // a sender fills the length slot
  ScriptedPeer peer({{Greet(), ExpectRequest(expected), Reply({0, 0, 0, 0, 0xAB})}});
  int fd = ConnectTo(peer.port());
  ASSERT_GE(fd, 0);
  PeerConnection client(fd);
  Bytes greeting(kGreetingSize, 'x');
  ASSERT_TRUE(client.WriteAll(greeting.data(), greeting.size()));
  ASSERT_TRUE(client.ReadExact(greeting.data(), greeting.size()));
  ASSERT_TRUE(client.WriteFrame(request));
  Bytes reply;
  ASSERT_TRUE(client.ReadFrame(&reply));
  EXPECT_EQ(reply, (Bytes{0, 0, 0, 5, 0xAB}));
  EXPECT_TRUE(peer.AllStepsPassed());
  ASSERT_EQ(peer.Received(0).size(), 1u);
}

TEST(ScriptedPeer, FrameLayout) {
  Bytes payload(14, 0);
  Bytes frame = Frame(payload);
  Bytes head(frame.begin(), frame.begin() + 20);
  EXPECT_EQ(head,
            (Bytes{0x27, 0xB2, 0x5D, 0x1A, 0, 0, 0, 30, 0, 0, 0, 0, 0, 0, 0, 14, 0, 0, 0, 14}));
  EXPECT_EQ(frame.size(), 30u);
}

TEST(ScriptedPeer, ConnectionsBeyondTheScriptsAreClosed) {
  ScriptedPeer peer({});
  int fd = ConnectTo(peer.port());
  ASSERT_GE(fd, 0);
  PeerConnection client(fd);
  uint8_t byte;
  EXPECT_FALSE(client.ReadExact(&byte, 1));
}

}  // namespace
}  // namespace testing_peer
