// The status codes of discovery and registration, which the tools' main
// programs turn into messages (or, the locator, into its result file).
#pragma once

#include <cstdint>

enum : int32_t {
  kCspDone = 0,
  kCspNothingFound = 1,  // no candidate answered, or no server offered a data source
  kCspNoMemory = -1,
  kCspTimerFailed = -2,
  kCspSocketError = -3,
  kCspTimedOut = -4,     // UDP discovery: no server answered
  kCspWriteFailed = -5,  // a registry, installer or file write failed
};
