// What has arrived on a client socket and not been read yet, one stash per
// socket: a receive takes as much as the system holds (a whole reply,
// usually), and the frame reader's exact reads are served from it. Each
// socket also keeps how long a read of it may wait for its bytes. Reads of
// one socket are never run by two threads at once (the RPC connection's
// lock serialises them); sockets of different threads do not meet.
#pragma once

#include <cstdint>

#include "platform/net_socket.h"

// Bytes a stash holds: a row block of the largest array buffer and its
// frame fit, so that a block reply usually arrives in one receive.
constexpr uint32_t kNetStashSize = 64u << 10;

// Exactly n bytes: n; 0 when the peer closed first (code 152); -1 on a
// socket error or when a wait for bytes outlasted the socket's bound (code
// 132). n < 1 reads nothing and returns 0.
int32_t NetStashRead(PlatSocket s, void* buffer, int32_t n);
// Waits up to `ms` (kPlatWaitForever: without a bound) for the socket to
// have bytes, or its end, to read: 1 when it has, 0 when the time passed
// (code 132), -1 on a socket error.
int NetStashWait(PlatSocket s, uint32_t ms);
// Bounds every later read of `s`: all of a read's bytes must arrive within
// `ms` of its start (0: no bound).
void NetStashBound(PlatSocket s, uint32_t ms);
// Forgets the socket's stash and bound; its bytes are dropped.
void NetStashDrop(PlatSocket s);
