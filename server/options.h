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
  std::string config_path;     // the file read: --config, else the system one; empty: none
};

// Reads the flags; the configuration file is read first, the other flags
// override it. The file is --config's, else `system_config` when that file
// exists (empty: none). False with a message on a fault.
bool ParseCommandLine(int argc, const char* const* argv, ServerConfig* config, CommandLine* line,
                      std::string* error, const std::string& system_config = "");

// The configuration file an installed velsrv reads when the command line
// names none, found from where the program lies as the installation lays
// them out: <prefix>/etc/velsrv/velsrv.conf beside <prefix>/sbin or
// <prefix>/bin, /etc/velsrv for the prefixes /usr and /, /etc/opt/NAME/velsrv
// for /opt/NAME. Empty for a program elsewhere (a build folder).
std::string SystemConfigPath(const std::string& program_path);

// What --help prints.
std::string UsageText();
// What --version prints.
std::string VersionText();

}  // namespace velsrv
