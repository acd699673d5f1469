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

const MsgDefault* UtilityMessageRows() {
  static const std::vector<MsgDefault> rows = JoinMessageRows(
      {kToolDialogMessages, kToolUpdateMessages, kToolCoreMessages, kLnaMessages, kFilMessages});
  return rows.data();
}

int UtilityMain() {
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
