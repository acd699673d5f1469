// velsrv's command line: long flags (--port=N or --port N), -h, and the
// configuration file they override.
#pragma once

#include <string>

#include "server/config.h"

namespace velsrv {

struct CommandLine {
  bool help = false;
  bool version = false;
  bool hash_password = false;  // print a users-list hash of a password read from stdin
  std::string config_path;     // empty: none given
};

// Reads the flags; --config is read first, the other flags override it.
// False with a message on a fault.
bool ParseCommandLine(int argc, const char* const* argv, ServerConfig* config, CommandLine* line,
                      std::string* error);

// What --help prints.
std::string UsageText();
// What --version prints.
std::string VersionText();

}  // namespace velsrv
