// What the libraries ask of the system where a test may want to give the
// answer itself: memory for the runtime's blocks, a connect attempt and the
// pause between connect attempts, the debug output and the message box, and
// every name look-up (host names and addresses, services, this machine and
// its user). Code asks the environment
// in force; by default it answers from the system. A test derives its own
// from PlatformEnv, overrides what it changes and installs it for as long as
// it needs it, so that nothing in the deliverables carries a switch for
// tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

  // The name look-ups (host_lookup_linux.cpp, host_identity_linux.cpp);
  // the functions of host_lookup.h, host_identity.h and PlatResolveHost
  // and PlatResolveService ask these, after reading a dotted address or a
  // port number themselves.
  // The IPv4 addresses (network order) of a host name, in the resolver's
  // order, each once: 0, or the socket error number (kWsa...) of the
  // failure.
  virtual int32_t HostAddresses(const char* host, std::vector<uint32_t>* addresses);
  // The name of an IPv4 address (network order) by reverse look-up; false
  // when it has none.
  virtual bool AddressName(uint32_t address, std::string* name);
  // The port of a named service for `protocol` ("tcp"), as the services
  // database lists it; false when it does not.
  virtual bool ServicePort(const char* service, const char* protocol, uint32_t* port);
  // This machine's host name; false when it cannot be had.
  virtual bool HostName(std::string* name);
  // The name of the process's user from the password database; false when
  // the user is not listed.
  virtual bool UserName(std::string* name);

 protected:
  // Never deleted through this class; trivial, so that the system's
  // environment outlives every static object that may still allocate.
  ~PlatformEnv() = default;
};

// The environment installed last, else the system's.
PlatformEnv& PlatformEnvGet();
// Installs `env` (null: the system's again) and returns the one it replaces.
PlatformEnv* PlatformEnvInstall(PlatformEnv* env);
