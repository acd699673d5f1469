#include "server/log.h"

#include <atomic>
#include <string>

#include "platform/env.h"

namespace velsrv {

namespace {

std::atomic<int> g_level{static_cast<int>(LogLevel::kInfo)};

constexpr const char* kNames[] = {"error", "warning", "info", "debug"};

}  // namespace

bool ParseLogLevel(const std::string& text, LogLevel* level) {
  for (int i = 0; i < 4; ++i) {
    if (text == kNames[i]) {
      *level = static_cast<LogLevel>(i);
      return true;
    }
  }
  return false;
}

const char* LogLevelName(LogLevel level) {
  return kNames[static_cast<int>(level)];
}

void SetLogLevel(LogLevel level) {
  g_level = static_cast<int>(level);
}

bool LogEnabled(LogLevel level) {
  return static_cast<int>(level) <= g_level.load();
}

void Log(LogLevel level, const std::string& text) {
  if (!LogEnabled(level)) return;
  std::string line = text;
  for (char& c : line) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  PlatformEnvGet().LogLine(("velsrv: " + std::string(LogLevelName(level)) + ": " + line).c_str());
}

}  // namespace velsrv
