// Captures velsrv's log lines ("LEVEL: text") while it lives, so a test can
// check what the server said without reading its standard error.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "server/log.h"

class LogCapture {
 public:
  LogCapture() {
    velsrv::SetLogSink([this](velsrv::LogLevel level, const std::string& line) {
      std::lock_guard<std::mutex> lock(mutex_);
      lines_.push_back(std::string(velsrv::LogLevelName(level)) + ": " + line);
    });
  }
  ~LogCapture() { velsrv::SetLogSink({}); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // How many lines hold `part`.
  int Count(const std::string& part) {
    std::lock_guard<std::mutex> lock(mutex_);
    int n = 0;
    for (const std::string& l : lines_) n += l.find(part) != std::string::npos;
    return n;
  }
  bool Has(const std::string& part) { return Count(part) > 0; }

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};
