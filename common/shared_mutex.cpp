#include "common/shared_mutex.h"

namespace {

class GuardHold {
 public:
  GuardHold() { GuardLock(); }
  ~GuardHold() { GuardUnlock(); }
};

}  // namespace

bool SharedMutex::Acquire(SharedMutex* handle) {
  if (handle == nullptr) return false;
  GuardHold guard;
  if (handle->mutex.load() == nullptr) {
    CritSec* created = MutexCreate();
    if (created == nullptr) {
      // Leave nothing counted: the next acquirer tries again from scratch.
      handle->references = 0;
      return false;
    }
    handle->mutex.store(created);
    handle->references = 1;
    return true;
  }
  ++handle->references;
  return true;
}

bool SharedMutex::Lock(SharedMutex* handle) {
  return handle != nullptr && MutexLock(handle->mutex.load());
}

bool SharedMutex::Unlock(SharedMutex* handle) {
  return handle != nullptr && MutexUnlock(handle->mutex.load());
}

bool SharedMutex::Release(SharedMutex* handle) {
  if (handle == nullptr) return false;
  GuardHold guard;
  CritSec* mutex = handle->mutex.load();
  if (handle->references < 1 || mutex == nullptr) return false;
  if (--handle->references > 0) return false;
  handle->mutex.store(nullptr);
  MutexDelete(mutex);
  return true;
}

bool SharedMutex::IsValid(const SharedMutex* handle) {
  return handle != nullptr && handle->mutex.load() != nullptr;
}

int32_t SharedMutex::References(const SharedMutex* handle) {
  if (handle == nullptr) return 0;
  GuardHold guard;
  return handle->references;
}
