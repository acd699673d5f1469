// How the trace prints a handle or buffer: by its address.
#pragma once

// A pointer as the trace prints it (0x%08lx).
unsigned long TraceAddr(const void* p);
