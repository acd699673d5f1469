#include "tools/refresh/refresh_main.h"

#include <vector>

#include "common/file_errors.h"
#include "common/res_dll.h"
#include "driver/lna/lna_messages.h"
#include "tools/refresh/refresh_dialog.h"
#include "tools/shared/tool_messages.h"
#include "tools/shared/tool_program.h"
#include "tools/shared/tool_text.h"

const MsgDefault* RefreshMessageRows() {
  // Every text of the utility but the remove dialog's and the report's.
  static const std::vector<MsgDefault> rows = JoinMessageRows(
      {kToolDialogMessages, kToolUpdateMessages, kToolCoreMessages, kLnaMessages, kFilMessages},
      {kIdsRemoveErr, kIdsReportRemoved, kIdsReadErr});
  return rows.data();
}

int RefreshMain() {
  const ToolDialogProgram program{"velref32", RefreshMessageRows(), "velref_messages.xml",
                                  kIdsCaptionScr, "VCRREFRESH"};
  return RunToolDialog(program, [](const ToolEnv& env, ServiceSettings* settings) {
    RefreshContext context{&env, settings};
    return DialogBoxParam(ResDllHandle(), "VCRREFRESH", nullptr, RefreshDialogProc,
                          reinterpret_cast<DlgLParam>(&context));
  });
}
