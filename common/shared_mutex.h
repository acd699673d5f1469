// A reference-counted lock handle: the first acquirer creates the mutex, the
// last releaser deletes it.
#pragma once

#include <atomic>
#include <cstdint>

#include "common/crit_sec.h"

// Plain data so that a process-wide handle needs no constructor to run.
struct SharedMutex {
  int32_t references = 0;  // changed only under the process-wide guard
  std::atomic<CritSec*> mutex{nullptr};

  // Adds a reference, creating the mutex on the first. False for a null
  // handle or when no mutex could be created (references then stay 0).
  static bool Acquire(SharedMutex* handle);
  static bool Lock(SharedMutex* handle);
  static bool Unlock(SharedMutex* handle);
  // Drops a reference; true only when that deleted the mutex.
  static bool Release(SharedMutex* handle);
  static bool IsValid(const SharedMutex* handle);
  // The reference count, read under the guard.
  static int32_t References(const SharedMutex* handle);
};

// Holds a SharedMutex for a scope; a handle without a mutex is not locked.
class SharedMutexHold {
 public:
  explicit SharedMutexHold(SharedMutex* handle)
      : handle_(handle), held_(SharedMutex::Lock(handle)) {}
  ~SharedMutexHold() {
    if (held_) SharedMutex::Unlock(handle_);
  }
  SharedMutexHold(const SharedMutexHold&) = delete;
  SharedMutexHold& operator=(const SharedMutexHold&) = delete;

 private:
  SharedMutex* handle_;
  bool held_;
};
