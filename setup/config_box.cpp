// The library's message box, its three questions and the small window
// utilities every setup dialog uses.
#include <string>

#include "platform/dialog_host.h"
#include "setup/config_message.h"
#include "setup/setup_codes.h"
#include "setup/setup_dialogs.h"

namespace {

uint32_t BoxType(ConfigBoxKind kind) {
  switch (kind) {
    case ConfigBoxKind::kWarningYesNo:
      return MB_ICONEXCLAMATION | MB_YESNO;
    case ConfigBoxKind::kQuestionYesNo:
      return MB_ICONQUESTION | MB_YESNO;
    case ConfigBoxKind::kNotice:
      break;
  }
  return MB_ICONEXCLAMATION | MB_OK;
}

}  // namespace

int ShowConfigMessage(PlatModule, DlgHwnd window, uint32_t code, const char* argument, int control,
                      uint32_t range) {
  int answer = 0;
  if (code != kCfgFocusOnly) {
    std::string label = code == kCfgInvalidNumber ? DlgControlLabel(window, control) : "";
    ConfigMessage message = BuildConfigMessage(code, argument, label.c_str(), range);
    answer = MessageBox(window, message.body.c_str(), message.title.c_str(), BoxType(message.kind));
  }
  if (window != nullptr && control != 0) {
    SetFocus(GetDlgItem(window, control));
    SendDlgItemMessage(window, control, EM_SETSEL, 0, -1);
  }
  return answer;
}

bool AskContinueUnknownServer(DlgHwnd dialog, SetupContext* context, int control,
                              const char* host) {
  return ShowConfigMessage(context->instance, dialog, kCfgNotFound, host, control, 0) == IDYES;
}

bool AskRemoveDuplicatePrimary(DlgHwnd dialog, SetupContext* context) {
  return ShowConfigMessage(context->instance, dialog, kCfgMatchPrimary, nullptr, 0, 0) == IDYES;
}

bool ConfirmRemoveServer(DlgHwnd dialog, SetupContext* context) {
  return ShowConfigMessage(context->instance, dialog, kCfgQueryRemove, nullptr, 0, 0) == IDYES;
}

DlgCursor BeginWaitCursor() {
  return SetCursor(DlgCursor::kWait);
}

void EndWaitCursor(DlgCursor previous) {
  SetCursor(previous);
}

void CenterDialog(DlgHwnd dialog) {
  DlgCenterOverParent(dialog);
}
