#include "common/syn_obj.h"

#include <mutex>
#include <new>

#include "common/memory.h"
#include "common/trace.h"
#include "platform/thread_id.h"

namespace {

constexpr const char* kTracePath = "\\\\HKEY_CURRENT_USER\\Software\\Odbc\\odbc.ini";

// One lock trace serves every object. It is opened while none is held, not
// by every create: each open takes a trace entry for good.
std::mutex g_trace_lock;
std::atomic<TraceHandle*> g_trace{nullptr};

void OpenTraceOnce() {
  std::lock_guard<std::mutex> hold(g_trace_lock);
  if (g_trace.load(std::memory_order_relaxed) != nullptr) return;
  int32_t level = 0;
  g_trace.store(TraceOpen(kTracePath, "Odbc", "OdbcTrace", &level), std::memory_order_release);
}

TraceHandle* Trace() {
  return g_trace.load(std::memory_order_acquire);
}

// "lok" is how many times the owner has entered the lock without leaving
// it (0 when free); "ownr" the owner's thread id (0 when free). The system
// mutex hides both, so the lock keeps them itself: the count is raised
// after entering and lowered before leaving.
void TraceState(const char* operation, const SynObj* object) {
  TraceEnter(Trace(), "%s thread=%lx cs=%lx lok=%d ownr=%lx", operation,
             static_cast<unsigned long>(PlatformThreadId()),
             reinterpret_cast<unsigned long>(&object->lock()), object->lock().lock_count(),
             static_cast<unsigned long>(object->lock().owner()));
}

}  // namespace

int32_t SynObjCreate(SynObj** object) {
  if (object == nullptr) return kSynObjNone;
  if (*object == nullptr) {
    void* storage = MemAlloc(sizeof(SynObj));
    if (storage == nullptr) return kSynObjNoMemory;
    *object = static_cast<SynObj*>(storage);
  }
  SynObj* obj = *object;
  if (obj->references == 0) {
    new (obj->lock_storage) CritSec();
    obj->initialised = obj->lock().initialised() ? 1 : 0;
  }
  ++obj->references;
  OpenTraceOnce();
  return kSynObjOk;
}

int32_t SynObjDelete(SynObj** object) {
  if (object == nullptr || *object == nullptr) return kSynObjNone;
  SynObj* obj = *object;
  if (obj->references > 0 && --obj->references == 0) {
    obj->lock().~CritSec();
    MemFree(obj);
    *object = nullptr;
  }
  return kSynObjOk;
}

int32_t rcSynObjLock(SynObj* object) {
  if (object == nullptr || object->initialised == 0) return kSynObjNotInitialised;
  TraceState("rcSynObjLock", object);
  object->lock().Enter();
  TraceReturn(Trace(), "rcSynObjLock", object->lock().lock_count());
  return kSynObjOk;
}

int32_t SemLeave(SynObj* object) {
  if (object == nullptr || object->initialised == 0) return kSynObjNotInitialised;
  TraceState("SemLeave", object);
  return object->lock().Leave() ? kSynObjOk : kSynObjNotOwner;
}

uint32_t SynObjIsValid(const SynObj* object) {
  return object == nullptr ? 0 : object->initialised;
}

void SynObjCloseTrace() {
  std::lock_guard<std::mutex> hold(g_trace_lock);
  TraceClose(g_trace.exchange(nullptr, std::memory_order_acq_rel));
}
