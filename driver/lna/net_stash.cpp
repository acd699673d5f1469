#include "driver/lna/net_stash.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "common/tls_slot.h"
#include "driver/lna/net_deadline.h"
#include "driver/lna/net_error.h"

namespace {

struct Stash {
  uint32_t bound_ms = 0;
  uint32_t begin = 0;
  uint32_t end = 0;
  std::unique_ptr<uint8_t[]> bytes;  // made at the first receive into it
};

std::mutex g_mutex;
// Nodes stay where they are while others come and go, so a socket's stash
// is used outside the lock by the one thread reading the socket.
std::unordered_map<PlatSocket, Stash> g_stashes;

Stash& StashOf(PlatSocket s) {
  std::lock_guard<std::mutex> hold(g_mutex);
  return g_stashes[s];
}

uint8_t* Room(Stash& stash) {
  if (stash.bytes == nullptr) stash.bytes.reset(new (std::nothrow) uint8_t[kNetStashSize]);
  return stash.bytes.get();
}

int32_t Fail(uint32_t code) {
  TlsSlotSet(code);
  return -1;
}

int32_t FailMapped() {
  NetMapError();
  return -1;
}

// One receive into `into` of at most n bytes, waiting for them no longer
// than the deadline: the bytes received, 0 when the peer closed, -1.
int64_t ReceiveBy(PlatSocket s, uint8_t* into, size_t n, const NetDeadline& deadline) {
  if (!deadline.bounded()) {
    int64_t r = PlatRecv(s, into, n);
    return r < 0 ? FailMapped() : r;
  }
  for (;;) {
    int64_t r = PlatRecvNow(s, into, n);
    if (r >= 0) return r;
    if (PlatSockLastError() != kWsaEwouldblock) return FailMapped();
    int ready = PlatWaitReadable(s, deadline.LeftMs());
    if (ready == 0) return Fail(kNetErrTimedOut);
    if (ready < 0) return FailMapped();
  }
}

uint32_t Take(Stash& stash, uint8_t* out, uint32_t n) {
  uint32_t k = stash.end - stash.begin;
  if (k > n) k = n;
  if (k > 0) std::memcpy(out, stash.bytes.get() + stash.begin, k);
  stash.begin += k;
  return k;
}

}  // namespace

int32_t NetStashRead(PlatSocket s, void* buffer, int32_t n) {
  if (n < 1) return 0;
  Stash& stash = StashOf(s);
  NetDeadline deadline = NetDeadline::After(stash.bound_ms);
  auto* out = static_cast<uint8_t*>(buffer);
  auto want = static_cast<uint32_t>(n);
  uint32_t got = Take(stash, out, want);
  while (got < want) {
    uint32_t left = want - got;
    // What fills the stash anyway goes straight to the caller.
    uint8_t* room = left < kNetStashSize ? Room(stash) : nullptr;
    int64_t r = room != nullptr ? ReceiveBy(s, room, kNetStashSize, deadline)
                                : ReceiveBy(s, out + got, left, deadline);
    if (r < 0) return -1;
    if (r == 0) {
      TlsSlotSet(kNetErrClosed);
      return 0;
    }
    if (room == nullptr) {
      got += static_cast<uint32_t>(r);
    } else {
      stash.begin = 0;
      stash.end = static_cast<uint32_t>(r);
      got += Take(stash, out + got, left);
    }
  }
  return n;
}

int NetStashWait(PlatSocket s, uint32_t ms) {
  Stash& stash = StashOf(s);
  if (stash.begin < stash.end) return 1;
  if (ms == kPlatWaitForever) {
    // Waiting without a bound is a receive: what it brings is kept.
    uint8_t* room = Room(stash);
    if (room != nullptr) {
      int64_t r = PlatRecv(s, room, kNetStashSize);
      if (r < 0) return static_cast<int>(FailMapped());
      // The end of the stream stays for the read that follows to find.
      stash.begin = 0;
      stash.end = static_cast<uint32_t>(r);
      return 1;
    }
  }
  int ready = PlatWaitReadable(s, ms);
  if (ready == 0) TlsSlotSet(kNetErrTimedOut);
  if (ready < 0) NetMapError();
  return ready;
}

void NetStashBound(PlatSocket s, uint32_t ms) {
  StashOf(s).bound_ms = ms;
}

void NetStashDrop(PlatSocket s) {
  std::lock_guard<std::mutex> hold(g_mutex);
  g_stashes.erase(s);
}
