#include "tools/utility/utility_main.h"

#include <vector>

#include "common/file_errors.h"
#include "common/res_dll.h"
#include "driver/lna/lna_messages.h"
#include "tools/shared/tool_messages.h"
#include "tools/shared/tool_program.h"
#include "tools/shared/tool_text.h"
#include "tools/utility/config_dialog.h"
#include "tools/utility/utility_context.h"

namespace {

constexpr const char kUsage[] =
    "Usage: velutl32\n"
    "The configuration utility of the Velto client, a dialog on the terminal: how\n"
    "the data sources that velsrv servers offer are registered (user or system data\n"
    "sources, direct mode with its server and port, how often they are refreshed),\n"
    "and buttons to update them now, to remove the driver's data sources and to\n"
    "report what an update would add or update. It needs a terminal; one copy runs\n"
    "per user. velref32 updates behind a notice, velloc32 without any window.\n";

}  // namespace

const MsgDefault* UtilityMessageRows() {
  static const std::vector<MsgDefault> rows = JoinMessageRows(
      {kToolDialogMessages, kToolUpdateMessages, kToolCoreMessages, kLnaMessages, kFilMessages});
  return rows.data();
}

int UtilityMain(int argc, char** argv) {
  if (ToolPrintsHelp(argc, argv, kUsage)) return 0;
  const ToolDialogProgram program{"velutl32", UtilityMessageRows(), "velutl_messages.xml",
                                  kIdsCaption, "VCCCONFIG"};
  return RunToolDialog(program, [](const ToolEnv& env, ServiceSettings* settings) {
    UtilityContext context;
    context.env = &env;
    context.settings = settings;
    context.help_file = ToolHelpFile();
    return DialogBoxParam(ResDllHandle(), "VCCCONFIG", nullptr, ConfigDlgProc,
                          reinterpret_cast<DlgLParam>(&context));
  });
}
