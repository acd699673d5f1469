#include <syslog.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/debug_output.h"
#include "platform/env.h"
#include "platform/message_box.h"
#include "platform/sleep.h"

namespace {

class SystemEnv final : public PlatformEnv {};

// Ready before any static object of the libraries runs.
constinit SystemEnv g_system;
constinit std::atomic<PlatformEnv*> g_env{&g_system};

}  // namespace

void* PlatformEnv::Allocate(size_t size) {
  return std::calloc(1, size);
}

void* PlatformEnv::Reallocate(void* block, size_t size) {
  return std::realloc(block, size);
}

int PlatformEnv::Connect(PlatSocket s, const PlatInetAddress* to, int timeout_ms) {
  return PlatConnect(s, to, timeout_ms);
}

void PlatformEnv::SleepMs(uint32_t milliseconds) {
  PlatSleepMs(milliseconds);
}

void PlatformEnv::DebugOutput(const char* text) {
  syslog(LOG_USER | LOG_DEBUG, "%s", text == nullptr ? "" : text);
}

void PlatformEnv::ShowMessage(const char* text) {
  std::fprintf(stderr, "%s\n", text == nullptr ? "" : text);
  std::fflush(stderr);
}

void PlatformEnv::LogLine(const char* line) {
  std::fprintf(stderr, "%s\n", line == nullptr ? "" : line);
  std::fflush(stderr);
}

PlatformEnv& PlatformEnvGet() {
  return *g_env.load(std::memory_order_acquire);
}

PlatformEnv* PlatformEnvInstall(PlatformEnv* env) {
  return g_env.exchange(env == nullptr ? &g_system : env, std::memory_order_acq_rel);
}

void PlatformDebugOutput(const char* text) {
  PlatformEnvGet().DebugOutput(text);
}

void PlatformMessageBox(const char* text) {
  PlatformEnvGet().ShowMessage(text);
}
