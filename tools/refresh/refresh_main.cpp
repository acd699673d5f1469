#include "tools/refresh/refresh_main.h"

#include <vector>

#include "common/file_errors.h"
#include "common/res_dll.h"
#include "driver/lna/lna_messages.h"
#include "tools/refresh/refresh_dialog.h"
#include "tools/shared/tool_messages.h"
#include "tools/shared/tool_program.h"
#include "tools/shared/tool_text.h"

namespace {

constexpr const char kUsage[] =
    "Usage: velref32\n"
    "The refresh program of the Velto client: asks the servers of the saved server\n"
    "list (or the one server of direct mode) which data sources they offer,\n"
    "registers them as data sources of the driver behind a wait notice on the\n"
    "terminal, and tells the outcome in a message box. It needs a terminal; one\n"
    "copy runs per user. velloc32 does the same without any window.\n";

}  // namespace

const MsgDefault* RefreshMessageRows() {
  // Every text of the utility but the remove dialog's and the report's.
  static const std::vector<MsgDefault> rows = JoinMessageRows(
      {kToolDialogMessages, kToolUpdateMessages, kToolCoreMessages, kLnaMessages, kFilMessages},
      {kIdsRemoveErr, kIdsReportRemoved, kIdsReadErr});
  return rows.data();
}

int RefreshMain(int argc, char** argv) {
  if (ToolPrintsHelp(argc, argv, kUsage)) return 0;
  const ToolDialogProgram program{"velref32", RefreshMessageRows(), "velref_messages.xml",
                                  kIdsCaptionScr, "VCRREFRESH"};
  return RunToolDialog(program, [](const ToolEnv& env, ServiceSettings* settings) {
    RefreshContext context{&env, settings};
    return DialogBoxParam(ResDllHandle(), "VCRREFRESH", nullptr, RefreshDialogProc,
                          reinterpret_cast<DlgLParam>(&context));
  });
}
