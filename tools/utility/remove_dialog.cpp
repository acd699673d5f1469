#include "tools/utility/remove_dialog.h"

#include <string>
#include <vector>

#include "tools/shared/dsn_store.h"
#include "tools/shared/tcp_discovery.h"
#include "tools/shared/tool_messages.h"
#include "tools/shared/tool_status.h"
#include "tools/shared/update_run.h"
#include "tools/utility/config_dialog.h"
#include "tools/utility/utility_boxes.h"
#include "tools/utility/utility_context.h"

namespace {

void RefreshButtons(DlgHwnd dialog) {
  DlgResult count = SendDlgItemMessage(dialog, kRmvList, LB_GETCOUNT, 0, 0);
  DlgResult chosen = SendDlgItemMessage(dialog, kRmvList, LB_GETSELCOUNT, 0, 0);
  if (count < 0) count = 0;
  if (chosen < 0) chosen = 0;
  EnableWindow(GetDlgItem(dialog, kRmvRemove), chosen > 0);
  EnableWindow(GetDlgItem(dialog, kRmvDeselectAll), chosen > 0);
  EnableWindow(GetDlgItem(dialog, kRmvSelectAll), chosen < count);
}

void FillList(DlgHwnd dialog) {
  UtilityContext* context = ContextOf(dialog);
  SendDlgItemMessage(dialog, kRmvList, LB_RESETCONTENT, 0, 0);
  ServerEntries servers;
  int32_t found = DiscoverDataSources(*context->env, &servers, *context->settings);
  if (found != kCspDone && found != kCspNothingFound) {
    ShowDiscoveryFailure(dialog, kIdsCaption, found);
  } else {
    std::vector<std::string> names;
    PlatDsnScope scope = DsnScope(*context->settings);
    if (!CollectDriverDataSources(*context->env, scope, &names)) {
      ShowDataSourceFileError(dialog, scope);
    }
    for (const std::string& name : names) {
      SendDlgItemMessage(dialog, kRmvList, LB_ADDSTRING, 0,
                         reinterpret_cast<DlgLParam>(name.c_str()));
    }
  }
  RefreshButtons(dialog);
}

std::vector<std::string> ChosenNames(DlgHwnd dialog) {
  std::vector<std::string> names;
  DlgResult chosen = SendDlgItemMessage(dialog, kRmvList, LB_GETSELCOUNT, 0, 0);
  if (chosen <= 0) return names;
  std::vector<int32_t> lines(static_cast<size_t>(chosen));
  DlgResult got = SendDlgItemMessage(dialog, kRmvList, LB_GETSELITEMS, lines.size(),
                                     reinterpret_cast<DlgLParam>(lines.data()));
  for (DlgResult i = 0; i < got; ++i) {
    // Whole, however long: a name cut short would remove another one, or
    // none.
    DlgResult length = SendDlgItemMessage(dialog, kRmvList, LB_GETTEXTLEN, lines[i], 0);
    if (length < 0) continue;
    std::vector<char> name(static_cast<size_t>(length) + 1, '\0');
    if (DlgGetListText(dialog, kRmvList, lines[i], name.data(), static_cast<int>(name.size())) ==
        length)
      names.emplace_back(name.data(), static_cast<size_t>(length));
  }
  return names;
}

void RemoveChosen(DlgHwnd dialog) {
  UtilityContext* context = ContextOf(dialog);
  if (ShowCatalogMessage(dialog, kIdsRemoveScr, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  PlatDsnScope scope = DsnScope(*context->settings);
  for (const std::string& name : ChosenNames(dialog)) {
    if (!RemoveDataSource(scope, name)) {
      ShowCatalogMessage(dialog, kIdsRemoveErr, MB_ICONEXCLAMATION);
      break;
    }
  }
  FillList(dialog);
}

}  // namespace

DlgResult RemoveDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtr(dialog, DWL_USER, lparam);
      DlgCenterOverParent(dialog);
      PostMessage(dialog, kMsgStartWork, 0, 0);
      return 1;
    case kMsgStartWork:
      FillList(dialog);
      return 1;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case kRmvList:
          if (HIWORD(wparam) == LBN_SELCHANGE) RefreshButtons(dialog);
          break;
        case kRmvDeselectAll:
          SendDlgItemMessage(dialog, kRmvList, LB_SETSEL, 0, -1);
          RefreshButtons(dialog);
          break;
        case kRmvSelectAll:
          SendDlgItemMessage(dialog, kRmvList, LB_SETSEL, 1, -1);
          RefreshButtons(dialog);
          break;
        case kRmvRemove:
          RemoveChosen(dialog);
          break;
        case IDOK:
        case IDCANCEL:
          EndDialog(dialog, LOWORD(wparam));
          break;
        case kCfgHelp:
          WinHelp(dialog, ContextOf(dialog)->help_file.c_str(), HELP_CONTEXT, 8);
          break;
      }
      return 1;
  }
  return 0;
}
