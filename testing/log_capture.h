// Captures velsrv's log lines ("LEVEL: text") while it lives, so a test can
// check what the server said without reading its standard error.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "testing/test_env.h"

class LogCapture : public ScopedEnv {
 public:
  void LogLine(const char* line) override {
    std::string text = line;
    const std::string prefix = "velsrv: ";
    if (text.compare(0, prefix.size(), prefix) == 0) text.erase(0, prefix.size());
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(text);
  }

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
