#include "driver/odbc/diag/trace_addr.h"

#include <cstdint>

unsigned long TraceAddr(const void* p) {
  return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(p));
}
