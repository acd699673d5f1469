// Dialog 102: array fetch on or off, and the size of its buffer.
#include <cstdio>
#include <cstdlib>

#include "setup/number_checks.h"
#include "setup/setup_codes.h"
#include "setup/setup_dialogs.h"

namespace {

// The range shown with the buffer size's message: 1 in the low word, 64 in
// the high one.
constexpr uint32_t kBufferSizeRange = 0x400001;

SetupContext* ContextOf(DlgHwnd dialog) {
  return reinterpret_cast<SetupContext*>(GetWindowLongPtr(dialog, DWL_USER));
}

bool ArrayFetchChecked(DlgHwnd dialog) {
  return IsDlgButtonChecked(dialog, kIdcArrayFetch) != 0;
}

void EnableBufferSizeField(DlgHwnd dialog) {
  EnableWindow(GetDlgItem(dialog, kIdcBufferSize), ArrayFetchChecked(dialog));
}

void EnableOptionsOk(DlgHwnd dialog) {
  char text[8];
  bool empty = GetDlgItemText(dialog, kIdcBufferSize, text, sizeof text) == 0;
  EnableWindow(GetDlgItem(dialog, IDOK), !(ArrayFetchChecked(dialog) && empty));
}

void InitOptionsDialog(DlgHwnd dialog, SetupContext* context) {
  AttributeRecord* records = context->attributes;
  bool on = std::strtoll(records[kAttrArrayFetchOn].value, nullptr, 10) != 0;
  CheckDlgButton(dialog, kIdcArrayFetch, on ? 1 : 0);
  EnableBufferSizeField(dialog);
  SetDlgItemText(dialog, kIdcBufferSize, records[kAttrArrayBufferSize].value);
  SendDlgItemMessage(dialog, kIdcBufferSize, EM_LIMITTEXT, records[kAttrArrayBufferSize].max_length,
                     0);
  EnableOptionsOk(dialog);
  CenterDialog(dialog);
}

// The size is checked whether or not array fetch is on.
uint32_t SaveOptionsDialog(DlgHwnd dialog, SetupContext* context) {
  char text[kAttrValueSize];
  GetDlgItemText(dialog, kIdcBufferSize, text, sizeof text);
  uint32_t size = 0;
  if (!ValidateBufferSize(text, &size)) return kCfgInvalidNumber;
  char value[16];
  std::snprintf(value, sizeof value, "%lu", static_cast<unsigned long>(size));
  SetAttributeValue(&context->attributes[kAttrArrayBufferSize], value);
  std::snprintf(value, sizeof value, "%d", ArrayFetchChecked(dialog) ? 1 : 0);
  SetAttributeValue(&context->attributes[kAttrArrayFetchOn], value);
  return kCfgDone;
}

void OptionsDlgCommand(DlgHwnd dialog, int id, uint16_t notification) {
  SetupContext* context = ContextOf(dialog);
  switch (id) {
    case kIdcArrayFetch:
      EnableBufferSizeField(dialog);
      EnableOptionsOk(dialog);
      return;
    case kIdcBufferSize:
      if (notification == EN_CHANGE) EnableOptionsOk(dialog);
      return;
    case IDOK: {
      uint32_t code = SaveOptionsDialog(dialog, context);
      if (code == kCfgDone) {
        EndDialog(dialog, kCfgDone);
      } else {
        ShowConfigMessage(context->instance, dialog, code, nullptr, kIdcBufferSize,
                          kBufferSizeRange);
      }
      return;
    }
    case IDCANCEL:
      EndDialog(dialog, kCfgCancelled);
      return;
    case kIdcOptionsHelp:
      WinHelp(dialog, context->help_file, HELP_CONTEXT, 3);
      return;
  }
}

}  // namespace

DlgResult OptionsDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtr(dialog, DWL_USER, lparam);
      InitOptionsDialog(dialog, ContextOf(dialog));
      return 1;
    case WM_COMMAND:
      OptionsDlgCommand(dialog, LOWORD(wparam), HIWORD(wparam));
      return 1;
  }
  return 0;
}

uint32_t RunOptionsDialog(DlgHwnd dialog, SetupContext* context) {
  DlgResult result = DialogBoxIndirectParam(DlgFindInTable(&kSetupTemplates, 102), dialog,
                                            OptionsDlgProc, reinterpret_cast<DlgLParam>(context));
  return result == -1 ? kCfgNoDialog : static_cast<uint32_t>(result);
}
