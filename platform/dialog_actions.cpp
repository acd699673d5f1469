// What a user's action does to a control, as a person at a screen would do
// it: only enabled, visible controls respond, typing stops at the text
// limit, and the procedure hears the notifications the control sends.
#include "platform/dialog_window.h"

namespace {

bool Refuse(std::string* why, const std::string& text) {
  if (why != nullptr) *why = text;
  return false;
}

void FocusOn(DlgWindow* control) {
  control->dialog->focus = control;
}

bool Type(DlgWindow* control, const std::string& text, std::string* why) {
  if (control->kind != DlgItemKind::kEdit && control->kind != DlgItemKind::kComboEdit)
    return Refuse(why, "not an edit field");
  if ((control->style & kDlgReadOnly) != 0) return Refuse(why, "read-only");
  FocusOn(control);
  std::string value = text;
  if (control->limit != 0 && value.size() > control->limit) value.resize(control->limit);
  control->text = value;
  DlgWindow* dialog = control->dialog;
  if (control->kind == DlgItemKind::kEdit) {
    DlgSendCommand(dialog, control->id, EN_CHANGE);
  } else {
    control->current = -1;
    DlgSendCommand(dialog, control->id, CBN_EDITCHANGE);
    if (!dialog->ended) DlgSendCommand(dialog, control->id, EN_KILLFOCUS);
  }
  return true;
}

bool Click(DlgWindow* control, std::string* why) {
  DlgWindow* dialog = control->dialog;
  switch (control->kind) {
    case DlgItemKind::kCheckBox:
      control->check = control->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
      break;
    case DlgItemKind::kRadioButton: {
      // The radio buttons next to each other form one group.
      auto& controls = dialog->controls;
      size_t at = 0;
      while (controls[at].get() != control) ++at;
      size_t first = at;
      while (first > 0 && controls[first - 1]->kind == DlgItemKind::kRadioButton) --first;
      for (size_t i = first; i < controls.size() && controls[i]->kind == DlgItemKind::kRadioButton;
           ++i) {
        controls[i]->check = i == at ? BST_CHECKED : BST_UNCHECKED;
      }
      break;
    }
    case DlgItemKind::kButton:
      break;
    default:
      return Refuse(why, "not a button");
  }
  FocusOn(control);
  DlgSendCommand(dialog, control->id, BN_CLICKED);
  return true;
}

bool Select(DlgWindow* control, const std::vector<int>& lines, bool twice, std::string* why) {
  const bool list = control->kind == DlgItemKind::kListBox;
  const bool combo =
      control->kind == DlgItemKind::kComboList || control->kind == DlgItemKind::kComboEdit;
  if (!list && !combo) return Refuse(why, "not a list");
  const bool multiple = list && (control->style & kDlgMultiSel) != 0;
  if (!multiple && lines.size() != 1) return Refuse(why, "one line must be chosen");
  for (int line : lines) {
    if (line < 0 || static_cast<size_t>(line) >= control->lines.size())
      return Refuse(why, "no line " + std::to_string(line));
  }
  FocusOn(control);
  DlgWindow* dialog = control->dialog;
  if (combo) {
    control->current = lines[0];
    control->text = control->lines[static_cast<size_t>(lines[0])];
    DlgSendCommand(dialog, control->id, CBN_SELCHANGE);
    if (!dialog->ended && control->kind == DlgItemKind::kComboEdit)
      DlgSendCommand(dialog, control->id, EN_KILLFOCUS);
    return true;
  }
  if (multiple) {
    for (size_t i = 0; i < control->selected.size(); ++i) control->selected[i] = false;
    for (int line : lines) control->selected[static_cast<size_t>(line)] = true;
  }
  control->current = lines.back();
  const bool notify = (control->style & kDlgNotify) != 0;
  if (notify) DlgSendCommand(dialog, control->id, LBN_SELCHANGE);
  if (twice && notify && !dialog->ended) DlgSendCommand(dialog, control->id, LBN_DBLCLK);
  return true;
}

}  // namespace

bool DlgApplyAction(DlgHwnd dialog, const DlgAction& action, std::string* why) {
  if (action.kind == DlgAction::kProbe) return true;
  DlgWindow* control = DlgControl(dialog, action.control);
  if (control == nullptr) return Refuse(why, "no control " + std::to_string(action.control));
  if (!DlgReachable(control)) return Refuse(why, "hidden");
  if (!control->enabled) return Refuse(why, "disabled");
  switch (action.kind) {
    case DlgAction::kType:
      return Type(control, action.text, why);
    case DlgAction::kClick:
      return Click(control, why);
    case DlgAction::kSelect:
      return Select(control, action.lines, false, why);
    case DlgAction::kDoubleClick:
      if (action.lines.size() != 1) return Refuse(why, "one line must be chosen");
      if (control->kind != DlgItemKind::kListBox) return Refuse(why, "not a list box");
      return Select(control, action.lines, true, why);
    default:
      return Refuse(why, "unknown action");
  }
}
