// Recursive locks and the plain mutex functions built on them.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstdint>

// A lock its owner thread may enter again; left as often as entered.
class CritSec {
 public:
  CritSec();
  ~CritSec();
  CritSec(const CritSec&) = delete;
  CritSec& operator=(const CritSec&) = delete;

  // False when the lock could not be set up; otherwise true once entered.
  bool Enter();
  // False when the lock could not be set up or the caller does not hold it.
  bool Leave();

  bool initialised() const { return initialised_; }
  // How many times the owner has entered without leaving (0 when free).
  int32_t lock_count() const { return count_.load(std::memory_order_relaxed); }
  // Thread id of the owner, 0 when free.
  uint64_t owner() const { return owner_.load(std::memory_order_relaxed); }

 private:
  bool initialised_ = false;
  pthread_mutex_t mutex_;
  // The system mutex hides both of these; the traced lock prints them.
  std::atomic<int32_t> count_{0};
  std::atomic<uint64_t> owner_{0};
};

// A new lock, or null when it cannot be allocated or set up.
CritSec* MutexCreate();
bool MutexLock(CritSec* mutex);
bool MutexUnlock(CritSec* mutex);
// 0 for a null mutex; otherwise destroys and frees it and returns 1.
int MutexDelete(CritSec* mutex);

// The process-wide guard over every SharedMutex's reference count.
void GuardInit();
void GuardTerm();
void GuardLock();
void GuardUnlock();
