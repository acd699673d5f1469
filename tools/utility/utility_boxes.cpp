#include "tools/utility/utility_boxes.h"

#include "common/msg_format.h"
#include "tools/shared/tool_messages.h"

int ShowCatalogMessage(DlgHwnd owner, uint32_t number, uint32_t type) {
  return ShowToolMessage(owner, kIdsCaption, number, type);
}

int ShowCatalogMessageRange(DlgHwnd owner, uint32_t number, uint32_t type, long low, long high) {
  std::string text =
      MsgFormatChecked(ToolMessage(number).c_str(), {MsgArg::Number(low), MsgArg::Number(high)});
  return ShowToolText(owner, kIdsCaption, text, type);
}

void ShowDataSourceFileError(DlgHwnd owner, PlatDsnScope scope) {
  std::string text = MsgFormatChecked(ToolMessage(kIdsReadErr).c_str(),
                                      {MsgArg::Text(PlatDsnFilePath(scope).c_str())});
  ShowToolText(owner, kIdsCaption, text, MB_ICONEXCLAMATION);
}

void FocusControl(DlgHwnd dialog, int id) {
  DlgHwnd control = GetDlgItem(dialog, id);
  if (control == nullptr) return;
  SetFocus(control);
  SendMessage(control, EM_SETSEL, 0, -1);
  SendMessage(control, CB_SETEDITSEL, 0, MAKELPARAM(0, 0xFFFF));
}
