#include "driver/lna/protocol_trace.h"

#include <atomic>
#include <mutex>

namespace {

std::mutex g_open_mutex;
std::atomic<TraceHandle*> g_trace{nullptr};
std::atomic<int32_t> g_level{0};

}  // namespace

int OpenProtocolTrace() {
  if (g_trace.load(std::memory_order_acquire) != nullptr) return 1;
  // One open at a time: trace entries are never given back, so two threads
  // opening at once would use up two.
  std::lock_guard<std::mutex> hold(g_open_mutex);
  if (g_trace.load(std::memory_order_relaxed) != nullptr) return 1;
  int32_t level = 0;
  TraceHandle* trace = TraceOpen("HKEY_LOCAL_MACHINE\\Software\\ODBC\\ODBCINST.INI", "Velto Client",
                                 "ProtocolTrace", &level);
  if (trace != nullptr) {
    g_level.store(level, std::memory_order_relaxed);
    g_trace.store(trace, std::memory_order_release);
  }
  return 1;
}

TraceHandle* ProtocolTrace() {
  return g_trace.load(std::memory_order_acquire);
}

int32_t ProtocolTraceLevel() {
  return g_level.load(std::memory_order_relaxed);
}
