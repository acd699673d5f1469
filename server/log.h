// The server's log: one line per event on standard error, so that the
// service manager's journal or a redirected file keeps it. Lines below the
// set level are dropped.
#pragma once

#include <string>

namespace velsrv {

enum class LogLevel { kError, kWarning, kInfo, kDebug };

// "error", "warning", "info" or "debug".
bool ParseLogLevel(const std::string& text, LogLevel* level);
const char* LogLevelName(LogLevel level);

void SetLogLevel(LogLevel level);
bool LogEnabled(LogLevel level);

// Writes one line ("velsrv: LEVEL: text") through the environment
// (platform/env.h); control characters in the text (a client's user name
// may hold a line break) show as '?'.
void Log(LogLevel level, const std::string& text);

}  // namespace velsrv
