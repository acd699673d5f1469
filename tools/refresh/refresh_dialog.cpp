#include "tools/refresh/refresh_dialog.h"

#include "tools/shared/tool_messages.h"
#include "tools/shared/update_run.h"

namespace {

constexpr uint32_t kMsgStartWork = WM_USER + 1000;
constexpr uint32_t kMsgWorkDone = WM_USER + 1001;

}  // namespace

void RunRefresh(DlgHwnd dialog, const RefreshContext& context) {
  UpdateDataSourcesNow(dialog, kIdsCaptionScr, *context.env, *context.settings);
}

DlgResult RefreshDialogProc(DlgHwnd dialog, uint32_t message, DlgWParam /*wparam*/,
                            DlgLParam lparam) {
  switch (message) {
    case WM_INITDIALOG:
      DlgCenterOverParent(dialog);
      SetWindowLongPtr(dialog, DWL_USER, lparam);
      PostMessage(dialog, kMsgStartWork, 0, 0);
      return 1;
    case kMsgStartWork:
      RunRefresh(dialog,
                 *reinterpret_cast<const RefreshContext*>(GetWindowLongPtr(dialog, DWL_USER)));
      PostMessage(dialog, kMsgWorkDone, 0, 0);
      return 1;
    case kMsgWorkDone:
      EndDialog(dialog, 0);
      return 1;
  }
  // The notice has nothing to cancel: it closes when the work is done.
  return 0;
}
