#include <atomic>
#include <cstdio>

#include "platform/message_box.h"

namespace {

void WriteToStandardError(const char* text) {
  std::fprintf(stderr, "%s\n", text == nullptr ? "" : text);
  std::fflush(stderr);
}

std::atomic<PlatformMessageBoxHook> g_hook{WriteToStandardError};

}  // namespace

void PlatformMessageBox(const char* text) {
  g_hook.load(std::memory_order_acquire)(text);
}

PlatformMessageBoxHook PlatformSetMessageBoxHook(PlatformMessageBoxHook hook) {
  return g_hook.exchange(hook == nullptr ? WriteToStandardError : hook, std::memory_order_acq_rel);
}
