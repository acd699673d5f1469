#include "driver/lna/lna_shared_state.h"

std::mutex& LnaFieldMutex() {
  static std::mutex mutex;
  return mutex;
}

uint32_t LnaIsBroken(const LnaConnection* conn) {
  if (conn == nullptr) return 0;
  LnaFieldGuard guard;
  return conn->broken;
}

void LnaSetBroken(LnaConnection* conn, uint32_t broken) {
  if (conn == nullptr) return;
  LnaFieldGuard guard;
  conn->broken = broken;
}

uint32_t LnaAsyncState(const LnaConnection* conn) {
  if (conn == nullptr) return kLnaAsyncIdle;
  LnaFieldGuard guard;
  return conn->async_state;
}
