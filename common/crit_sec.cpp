#include "common/crit_sec.h"

#include <new>

#include "common/memory.h"
#include "platform/thread_id.h"

CritSec::CritSec() {
  pthread_mutexattr_t attr;
  if (pthread_mutexattr_init(&attr) != 0) return;
  if (pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE) == 0 &&
      pthread_mutex_init(&mutex_, &attr) == 0)
    initialised_ = true;
  pthread_mutexattr_destroy(&attr);
}

CritSec::~CritSec() {
  if (initialised_) pthread_mutex_destroy(&mutex_);
}

bool CritSec::Enter() {
  if (!initialised_ || pthread_mutex_lock(&mutex_) != 0) return false;
  owner_.store(PlatformThreadId(), std::memory_order_relaxed);
  count_.fetch_add(1, std::memory_order_relaxed);
  return true;
}

bool CritSec::Leave() {
  if (!initialised_ || owner() != PlatformThreadId()) return false;
  if (count_.fetch_sub(1, std::memory_order_relaxed) == 1)
    owner_.store(0, std::memory_order_relaxed);
  pthread_mutex_unlock(&mutex_);
  return true;
}

CritSec* MutexCreate() {
  void* storage = MemAlloc(sizeof(CritSec));
  if (storage == nullptr) return nullptr;
  auto* mutex = new (storage) CritSec();
  if (!mutex->initialised()) {
    mutex->~CritSec();
    MemFree(storage);
    return nullptr;
  }
  return mutex;
}

bool MutexLock(CritSec* mutex) {
  return mutex != nullptr && mutex->Enter();
}

bool MutexUnlock(CritSec* mutex) {
  return mutex != nullptr && mutex->Leave();
}

int MutexDelete(CritSec* mutex) {
  if (mutex == nullptr) return 0;
  mutex->~CritSec();
  MemFree(mutex);
  return 1;
}

namespace {

// Built on first use and never destroyed: static initialisers of any unit
// may take it, and so may code that runs after exit has begun. It lives in
// static storage, not on the heap, so a library that is loaded and unloaded
// again (a driver, at every connect cycle) leaves nothing behind.
CritSec& Guard() {
  alignas(CritSec) static unsigned char storage[sizeof(CritSec)];
  static CritSec* guard = new (storage) CritSec();
  return *guard;
}

}  // namespace

void GuardInit() {
  Guard();
}

// The guard outlives every static destructor on purpose; there is nothing
// to give back before the process ends.
void GuardTerm() {}

void GuardLock() {
  Guard().Enter();
}

void GuardUnlock() {
  Guard().Leave();
}
