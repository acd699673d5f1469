#include <unistd.h>

#include "platform/thread_id.h"

uint64_t PlatformThreadId() {
  return static_cast<uint64_t>(gettid());
}
