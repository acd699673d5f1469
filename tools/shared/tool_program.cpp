#include "tools/shared/tool_program.h"

#include <cstdio>
#include <cstring>

#include "common/pool.h"
#include "common/res_dll.h"
#include "common/tls_slot.h"
#include "platform/dialog.h"
#include "platform/dialog_host.h"
#include "platform/instance_lock.h"
#include "platform/module.h"
#include "tools/shared/tool_message_file.h"
#include "tools/shared/tool_messages.h"

void ToolSay(const char* program, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", program, text.c_str());
}

bool ToolPrintsHelp(int argc, char** argv, const char* usage) {
  if (argc != 2 || (std::strcmp(argv[1], "-h") != 0 && std::strcmp(argv[1], "--help") != 0))
    return false;
  std::fputs(usage, stdout);
  return true;
}

std::string ToolHelpFile() {
  char path[4096];
  size_t length = PlatModuleFileName(nullptr, path, sizeof path);
  if (length == 0) return "";
  return std::string(path, length) + ".hlp";
}

bool ToolLoadDriver(const char* program, DriverExports* exports) {
  std::string error;
  if (LoadDriverExports("velclt32.dll", exports, &error)) return true;
  ToolSay(program, error);
  return false;
}

bool ToolFirstInstance(const char* program, const char* caption) {
  if (PlatClaimInstance(program) != PlatInstanceClaim::kRunning) return true;
  if (DlgHwnd running = FindWindow(nullptr, caption); running != nullptr) {
    SetForegroundWindow(running);
  }
  ToolSay(program, std::string(caption) + " is already running.");
  return false;
}

bool ToolCanShowDialogs(const char* program) {
  if (DlgCurrentHost()->CanShowDialogs()) return true;
  ToolSay(program, "its dialogs need a terminal: run it from a terminal.");
  return false;
}

namespace {

int ShowProgramDialog(const ToolDialogProgram& program,
                      const std::function<DlgResult(const ToolEnv&, ServiceSettings*)>& show) {
  if (!ResDllLoad("rstool32.dll")) {
    ToolSay(program.program, "cannot load its resource library rstool32");
    return 1;
  }
  // Before the instance lock: a run that cannot show its dialog leaves no
  // lock file behind.
  if (!ToolCanShowDialogs(program.program)) return 1;
  std::string caption = ToolMessage(program.caption);
  if (!ToolFirstInstance(program.program, caption.c_str())) return 0;
  DriverExports exports;
  if (!ToolLoadDriver(program.program, &exports)) return 1;

  PoolTableInit();
  ToolEnv env = MakeToolEnv(&exports);
  ServiceSettings settings;
  ReadServiceSettings(env, &settings);
  DlgResult ended = show(env, &settings);
  PoolTableTerm();
  if (ended != -1) return 0;
  ToolSay(program.program, std::string("cannot show its dialog ") + program.template_name);
  return 1;
}

}  // namespace

int RunToolDialog(const ToolDialogProgram& program,
                  const std::function<DlgResult(const ToolEnv&, ServiceSettings*)>& show) {
  TlsSlotInit();
  ToolLoadMessages(program.rows, program.message_file);
  int status = ShowProgramDialog(program, show);
  ResDllFree();
  TlsSlotTerm();
  MsgReleaseCatalog();
  return status;
}
