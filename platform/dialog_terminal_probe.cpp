// A small program with one dialog, for the test that answers the terminal
// host through a pseudo-terminal. It prints what the dialog ended with.
#include <cstdio>

#include "platform/dialog_host.h"

namespace {

const DlgItemTemplate kItems[] = {
    {-1, DlgItemKind::kStatic, "&User ID:", 0, 4, 4, 40, 10, 0},
    {103, DlgItemKind::kEdit, "", kDlgTabStop, 50, 4, 100, 12, 0},
    {-1, DlgItemKind::kStatic, "&Password:", 0, 4, 20, 40, 10, 0},
    {104, DlgItemKind::kEdit, "", kDlgTabStop | kDlgPassword, 50, 20, 100, 12, 0},
    {109, DlgItemKind::kCheckBox, "&Trace", kDlgTabStop, 4, 36, 80, 10, 0},
    {-1, DlgItemKind::kStatic, "&Servers:", 0, 4, 50, 40, 10, 0},
    {101, DlgItemKind::kListBox, "", kDlgTabStop | kDlgNotify, 50, 50, 100, 30, 0},
    {1, DlgItemKind::kButton, "OK", kDlgTabStop | kDlgDefault, 50, 90, 40, 14, 0},
    {2, DlgItemKind::kButton, "Cancel", kDlgTabStop, 100, 90, 40, 14, 0},
};
const DlgTemplate kLogon = {100, nullptr, "Logon to probe", nullptr,          0, 0,
                            160, 110,     kItems,           DLG_COUNT(kItems)};

DlgResult LogonProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam) {
  if (message == WM_INITDIALOG) {
    for (const char* server : {"alpha.1583", "beta.1583"})
      SendDlgItemMessage(dialog, 101, LB_ADDSTRING, 0, reinterpret_cast<DlgLParam>(server));
    return 1;
  }
  if (message != WM_COMMAND) return 0;
  if (LOWORD(wparam) == IDOK) {
    char user[64], password[64], server[64];
    GetDlgItemText(dialog, 103, user, sizeof user);
    GetDlgItemText(dialog, 104, password, sizeof password);
    int line = static_cast<int>(SendDlgItemMessage(dialog, 101, LB_GETCURSEL, 0, 0));
    DlgGetListText(dialog, 101, line, server, sizeof server);
    if (MessageBox(dialog, "Connect now?", "Logon", MB_YESNO | MB_ICONQUESTION) != IDYES) return 1;
    std::printf("user=%s password=%s trace=%u server=%s\n", user, password,
                IsDlgButtonChecked(dialog, 109), server);
    EndDialog(dialog, 1);
  } else if (LOWORD(wparam) == IDCANCEL) {
    EndDialog(dialog, 2);
  }
  return 1;
}

}  // namespace

int main() {
  DlgResult result = DialogBoxIndirectParam(&kLogon, nullptr, LogonProc, 0);
  std::printf("result=%ld\n", static_cast<long>(result));
  return 0;
}
