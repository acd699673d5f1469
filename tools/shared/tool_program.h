// What the tool programs share around their work at start: where their help
// file is, binding the driver's exports, the one-copy-per-user rule and
// whether dialogs can be shown. Failures are said on standard error as
// "<program>: <text>".
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/messages.h"
#include "platform/dialog.h"
#include "tools/shared/driver_exports.h"
#include "tools/shared/service_settings.h"
#include "tools/shared/tool_env.h"

void ToolSay(const char* program, const std::string& text);

// True when the only argument asks for help (-h or --help), after printing
// `usage` on standard output.
bool ToolPrintsHelp(int argc, char** argv, const char* usage);

// The program's own path with ".hlp".
std::string ToolHelpFile();

// Binds the server-list exports of velclt32 (beside the program first);
// false after saying why.
bool ToolLoadDriver(const char* program, DriverExports* exports);

// True for the first copy of the program that this user runs. A later one
// asks the running copy's window (titled `caption`) to come to the front,
// says that the tool already runs, and gets false.
bool ToolFirstInstance(const char* program, const char* caption);

// Whether the process's dialog host can show dialogs; false after saying
// that the dialogs need a terminal.
bool ToolCanShowDialogs(const char* program);

// What a dialog program is: its name, its built-in rows (which must outlive
// the run) and message file, the catalogue number of its window's title,
// and its template.
struct ToolDialogProgram {
  const char* program;
  const MsgDefault* rows;
  const char* message_file;
  uint32_t caption;
  const char* template_name;
};

// The whole run of a dialog program: its catalogue and thread slot, the
// resource library rstool32, one copy per user, a dialog host, the driver,
// the pools and the settings; then `show` runs its dialog over them and
// everything is released. 0 when the dialog ran or another copy runs; 1
// after saying why it could not be shown.
int RunToolDialog(const ToolDialogProgram& program,
                  const std::function<DlgResult(const ToolEnv&, ServiceSettings*)>& show);
