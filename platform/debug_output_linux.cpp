#include <syslog.h>

#include <atomic>

#include "platform/debug_output.h"

namespace {

void WriteToSystemLog(const char* text) {
  syslog(LOG_USER | LOG_DEBUG, "%s", text == nullptr ? "" : text);
}

std::atomic<PlatformDebugOutputHook> g_hook{WriteToSystemLog};

}  // namespace

void PlatformDebugOutput(const char* text) {
  g_hook.load(std::memory_order_acquire)(text);
}

PlatformDebugOutputHook PlatformSetDebugOutputHook(PlatformDebugOutputHook hook) {
  return g_hook.exchange(hook == nullptr ? WriteToSystemLog : hook, std::memory_order_acq_rel);
}
