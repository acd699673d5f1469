// Environments the tests install in place of the system's (platform/env.h):
// one that passes everything on, for a test to override what it changes;
// allocations that fail on demand; waits handed to the test instead of
// slept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/env.h"

// Passes every request on to `base`.
class ForwardingEnv : public PlatformEnv {
 public:
  explicit ForwardingEnv(PlatformEnv* base) : base_(base) {}

  void* Allocate(size_t size) override { return base_->Allocate(size); }
  void* Reallocate(void* block, size_t size) override { return base_->Reallocate(block, size); }
  int Connect(PlatSocket s, const PlatInetAddress* to, int timeout_ms) override {
    return base_->Connect(s, to, timeout_ms);
  }
  void SleepMs(uint32_t milliseconds) override { base_->SleepMs(milliseconds); }
  void DebugOutput(const char* text) override { base_->DebugOutput(text); }
  void ShowMessage(const char* text) override { base_->ShowMessage(text); }
  void LogLine(const char* line) override { base_->LogLine(line); }
  int32_t HostAddresses(const char* host, std::vector<uint32_t>* addresses) override {
    return base_->HostAddresses(host, addresses);
  }
  bool AddressName(uint32_t address, std::string* name) override {
    return base_->AddressName(address, name);
  }
  bool ServicePort(const char* service, const char* protocol, uint32_t* port) override {
    return base_->ServicePort(service, protocol, port);
  }
  bool HostName(std::string* name) override { return base_->HostName(name); }
  bool UserName(std::string* name) override { return base_->UserName(name); }

 protected:
  PlatformEnv* base_;
};

// In force from its construction to its destruction, over whatever was in
// force before; scopes nest.
class ScopedEnv : public ForwardingEnv {
 public:
  // The base is taken before the new one goes in, so a call from another
  // thread in between is passed on too.
  ScopedEnv() : ForwardingEnv(&PlatformEnvGet()) { PlatformEnvInstall(this); }
  virtual ~ScopedEnv() { PlatformEnvInstall(base_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
};

// While it lives, the waits between connect attempts go to `wait` instead.
class ScopedSleep : public ScopedEnv {
 public:
  using WaitFn = void (*)(uint32_t milliseconds);
  explicit ScopedSleep(WaitFn wait) : wait_(wait) {}
  void SleepMs(uint32_t milliseconds) override { wait_(milliseconds); }

 private:
  WaitFn wait_;
};

// While it lives, TCP connects go to a server whose SYNs are dropped: each
// attempt waits out its whole timeout and fails as timed out. The timeouts
// the attempts were given are kept.
class ScopedSilentConnects : public ScopedEnv {
 public:
  int Connect(PlatSocket s, const PlatInetAddress* to, int timeout_ms) override;
  std::vector<int> timeouts() const;

 private:
  mutable std::mutex mutex_;
  std::vector<int> timeouts_;
};

// The n-th allocation or reallocation of the runtime's blocks from now
// fails (1 means the next one), counted over every thread; 0 switches
// failures off and puts back the environment that was in force.
void MemFailAfter(long n);
