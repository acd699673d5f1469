#include <pthread.h>
#include <unistd.h>

#include "platform/thread_id.h"

namespace {

// Every lock taken asks for its owner's id, many times per fetched row: the
// id is kept per thread instead of a system call each time. A forked child
// starts with its parent's copy, so the fork clears it.
thread_local uint64_t cached_id = 0;

void ForgetIdInChild() {
  cached_id = 0;
}

[[maybe_unused]] const int kAtFork = pthread_atfork(nullptr, nullptr, ForgetIdInChild);

}  // namespace

uint64_t PlatformThreadId() {
  if (cached_id == 0) cached_id = static_cast<uint64_t>(gettid());
  return cached_id;
}
