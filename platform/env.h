// What the libraries ask of the system where a test may want to give the
// answer itself: memory for the runtime's blocks, a connect attempt and the
// pause between connect attempts, the debug output and the message box. Code asks the environment
// in force; by default it answers from the system. A test derives its own
// from PlatformEnv, overrides what it changes and installs it for as long as
// it needs it, so that nothing in the deliverables carries a switch for
// tests.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/net_socket.h"

class PlatformEnv {
 public:
  // A zero-filled block of `size` bytes, or null. Blocks from Allocate and
  // Reallocate are released with free().
  virtual void* Allocate(size_t size);
  // The block resized (bytes beyond the old size are not cleared), or null
  // with the block unchanged.
  virtual void* Reallocate(void* block, size_t size);
  // One TCP connect attempt of at most `timeout_ms` (PlatConnect).
  virtual int Connect(PlatSocket s, const PlatInetAddress* to, int timeout_ms);
  // Pauses the calling thread.
  virtual void SleepMs(uint32_t milliseconds);
  // Text for a debugger or log watcher: one message of the system log at
  // debug level.
  virtual void DebugOutput(const char* text);
  // The one place where the libraries show an error message to a person.
  // There is no window system underneath: the text goes to standard error.
  virtual void ShowMessage(const char* text);
  // One whole line of a server's log, without its line break: standard
  // error, so that the service manager's journal or a redirected file
  // keeps it.
  virtual void LogLine(const char* line);

 protected:
  // Never deleted through this class; trivial, so that the system's
  // environment outlives every static object that may still allocate.
  ~PlatformEnv() = default;
};

// The environment installed last, else the system's.
PlatformEnv& PlatformEnvGet();
// Installs `env` (null: the system's again) and returns the one it replaces.
PlatformEnv* PlatformEnvInstall(PlatformEnv* env);
