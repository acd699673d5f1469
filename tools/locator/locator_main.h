// The locator: the data-source update without any window, its result
// written to the file its command line names and returned as the exit
// code.
#pragma once

#include <cstdint>
#include <string>

#include "common/messages.h"

// Result codes besides the discovery and registration ones (tool_status.h):
// kCspSocketError when sockets cannot be used, kCspWriteFailed when no
// resource library loads, the driver name or the driver library is missing,
// or the result file cannot be opened; an empty path runs nothing. Each
// kCspWriteFailed is said on standard error.
int32_t LocatorRun(const std::string& result_file);

// The program: `args` are its arguments, joined by blanks into the result
// file's path (the whole command line is the path). "--help" prints the
// usage instead.
int LocatorMain(int argc, char** argv);

// Its built-in message rows, ended by number 0.
const MsgDefault* LocatorMessageRows();
