// The transport's trace (`ProtocolTrace` in the driver's ODBCINST.INI
// section), opened on the first connect and kept for the process.
#pragma once

#include <cstdint>

#include "common/trace.h"

// Level bit that switches the send and receive lines on.
constexpr int32_t kProtocolTraceIo = 2;

// Opens the trace while none is held. Always 1.
int OpenProtocolTrace();
// The trace, or null while tracing is off.
TraceHandle* ProtocolTrace();
int32_t ProtocolTraceLevel();
