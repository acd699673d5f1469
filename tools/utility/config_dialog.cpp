#include "tools/utility/config_dialog.h"

#include <cstdio>
#include <cstdlib>

#include "common/res_dll.h"
#include "tools/shared/tool_messages.h"
#include "tools/shared/update_run.h"
#include "tools/utility/advanced_dialog.h"
#include "tools/utility/remove_dialog.h"
#include "tools/utility/report_dialog.h"
#include "tools/utility/utility_boxes.h"
#include "tools/utility/utility_context.h"

namespace {

// The hours field counts only while it chooses the period.
bool HoursInUse(const ServiceSettings& s) {
  return s.enable_auto_update != 0 && s.update_always == 0;
}

// Nothing may run while the period it would need is missing.
void RefreshButtons(DlgHwnd dialog) {
  bool blocked = HoursInUse(*ContextOf(dialog)->settings) &&
                 GetWindowTextLength(GetDlgItem(dialog, kCfgHours)) == 0;
  for (int id : {static_cast<int>(kCfgUpdateNow), static_cast<int>(kCfgRemove),
                 static_cast<int>(kCfgReport), IDOK}) {
    EnableWindow(GetDlgItem(dialog, id), !blocked);
  }
}

void RefreshEnabling(DlgHwnd dialog) {
  const ServiceSettings& s = *ContextOf(dialog)->settings;
  bool automatic = s.enable_auto_update != 0;
  EnableWindow(GetDlgItem(dialog, kCfgEveryStart), automatic);
  EnableWindow(GetDlgItem(dialog, kCfgEveryHours), automatic);
  EnableWindow(GetDlgItem(dialog, kCfgHours), HoursInUse(s));
  EnableWindow(GetWindow(GetDlgItem(dialog, kCfgHours), GW_HWNDNEXT), automatic);
  RefreshButtons(dialog);
}

// Shows the range message when the hours are needed and wrong.
bool ValidateHours(DlgHwnd dialog, long* hours) {
  if (!HoursInUse(*ContextOf(dialog)->settings)) return true;
  char text[16];
  GetDlgItemText(dialog, kCfgHours, text, sizeof text);
  if (ParseHours(text, hours)) return true;
  ShowCatalogMessageRange(dialog, kIdsUpdateEveryXHourErr, MB_ICONEXCLAMATION, kHoursMin,
                          kHoursMax);
  FocusControl(dialog, kCfgHours);
  return false;
}

void InitDialog(DlgHwnd dialog, DlgLParam param) {
  SetWindowLongPtr(dialog, DWL_USER, param);
  UtilityContext* context = ContextOf(dialog);
  const ServiceSettings& s = *context->settings;
  DlgCenterOverParent(dialog);
  CheckDlgButton(dialog, kCfgSystemDsn, s.system_dsn != 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, kCfgAutoUpdate, s.enable_auto_update != 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckRadioButton(dialog, kCfgEveryStart, kCfgEveryHours,
                   s.update_always != 0 ? kCfgEveryStart : kCfgEveryHours);
  char hours[24];
  std::snprintf(hours, sizeof hours, "%ld", static_cast<long>(s.update_every_x_hour_sec / 3600));
  SetDlgItemText(dialog, kCfgHours, hours);
  SendDlgItemMessage(dialog, kCfgHours, EM_LIMITTEXT, 3, 0);
  RefreshEnabling(dialog);
}

void CloseHelp(DlgHwnd dialog) {
  WinHelp(dialog, ContextOf(dialog)->help_file.c_str(), HELP_QUIT, 0);
}

void OnCommand(DlgHwnd dialog, int id, uint16_t code) {
  UtilityContext* context = ContextOf(dialog);
  ServiceSettings& s = *context->settings;
  auto checked = [dialog](int control) { return IsDlgButtonChecked(dialog, control) != 0; };
  if (id == kCfgHours) {
    if (code == EN_CHANGE) RefreshButtons(dialog);
    return;
  }
  if (code != BN_CLICKED) return;
  long hours = 0;
  switch (id) {
    case kCfgSystemDsn:
      s.system_dsn = checked(kCfgSystemDsn) ? 1 : 0;
      break;
    case kCfgAutoUpdate:
      s.enable_auto_update = checked(kCfgAutoUpdate) ? 1 : 0;
      RefreshEnabling(dialog);
      break;
    case kCfgEveryStart:
      s.update_always = checked(kCfgEveryStart) ? 1 : 0;
      RefreshEnabling(dialog);
      break;
    case kCfgEveryHours:
      s.update_always = checked(kCfgEveryHours) ? 0 : 1;
      RefreshEnabling(dialog);
      FocusControl(dialog, kCfgHours);
      break;
    case kCfgAdvanced: {
      ServiceSettings copy = s;
      UtilityContext advanced = *context;
      advanced.settings = &copy;
      if (DialogBoxParam(ResDllHandle(), "VCCCONFIG2", dialog, AdvancedDlgProc,
                         reinterpret_cast<DlgLParam>(&advanced)) == 1) {
        s = copy;
      }
      break;
    }
    case kCfgUpdateNow:
      if (!ValidateHours(dialog, &hours)) break;
      UpdateDataSourcesNow(dialog, kIdsCaption, *context->env, s);
      {
        // The update saved the servers it found; only they are taken over.
        ServiceSettings stored;
        ReadServiceSettings(*context->env, &stored);
        std::snprintf(s.server_list, sizeof s.server_list, "%s", stored.server_list);
      }
      break;
    case kCfgRemove:
      if (!ValidateHours(dialog, &hours)) break;
      DialogBoxParam(ResDllHandle(), "VCCREMOVE", dialog, RemoveDlgProc,
                     reinterpret_cast<DlgLParam>(context));
      break;
    case kCfgReport:
      if (!ValidateHours(dialog, &hours)) break;
      RunReportDialog(dialog, context);
      break;
    case IDOK:
      if (!ValidateHours(dialog, &hours)) break;
      if (HoursInUse(s)) s.update_every_x_hour_sec = static_cast<int32_t>(hours * 3600);
      // A write that fails keeps the dialog open: the user may try again
      // or cancel, knowing the settings were not saved.
      if (WriteServiceSettings(*context->env, s) != 0) {
        ShowCatalogMessage(dialog, kIdsWriteErr, MB_ICONEXCLAMATION);
        break;
      }
      CloseHelp(dialog);
      EndDialog(dialog, IDOK);
      break;
    case IDCANCEL:
      CloseHelp(dialog);
      EndDialog(dialog, IDCANCEL);
      break;
    case kCfgHelp:
      WinHelp(dialog, context->help_file.c_str(), HELP_FINDER, 0);
      break;
  }
}

}  // namespace

bool ParseHours(const char* text, long* hours) {
  if (text == nullptr || text[0] == '\0') return false;
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < kHoursMin || value > kHoursMax) return false;
  *hours = value;
  return true;
}

DlgResult ConfigDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam) {
  switch (message) {
    case WM_INITDIALOG:
      InitDialog(dialog, lparam);
      return 1;
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wparam), HIWORD(wparam));
      return 1;
  }
  return 0;
}
