// A small program for the test that answers the terminal host through a
// pseudo-terminal: a logon dialog (no argument), a notice that posts itself
// its work ("notice") or the save-file prompt ("save PATH"). It prints what
// the dialog or the prompt ended with.
#include <cstdio>
#include <cstring>

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

const DlgItemTemplate kNoticeItems[] = {
    {-1, DlgItemKind::kStatic, "Working, please wait...", 0, 4, 4, 120, 10, 0},
    {-1, DlgItemKind::kGroupBox, "Period", 0, 4, 16, 120, 30, 0},
    {107, DlgItemKind::kCheckBox, "&Every", kDlgTabStop, 8, 28, 40, 10, 0},
    {108, DlgItemKind::kEdit, "12", kDlgTabStop, 50, 26, 24, 12, 3},
    {-1, DlgItemKind::kStatic, "hours", 0, 78, 28, 40, 10, 0},
    {1, DlgItemKind::kButton, "OK", kDlgTabStop | kDlgDefault, 4, 50, 40, 14, 0},
};
const DlgTemplate kNotice = {101, nullptr, "Notice", nullptr,      0,
                             0,   130,     70,       kNoticeItems, DLG_COUNT(kNoticeItems)};

DlgResult NoticeProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam) {
  if (message == WM_INITDIALOG) {
    PostMessage(dialog, WM_APP, 0, 0);
    return 1;
  }
  if (message == WM_APP) {
    std::printf("working\n");
    std::fflush(stdout);
    return 1;
  }
  if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wparam));
    return 1;
  }
  return 0;
}

int Save(const char* proposed) {
  char file[256];
  std::snprintf(file, sizeof file, "%s", proposed);
  DlgSaveFile request;
  request.file = file;
  request.file_size = sizeof file;
  request.flags = OFN_OVERWRITEPROMPT;
  if (GetSaveFileName(&request)) {
    std::printf("saved=%s\n", file);
  } else {
    std::printf("cancelled\n");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "save") == 0) return Save(argv[2]);
  const bool notice = argc == 2 && std::strcmp(argv[1], "notice") == 0;
  DlgResult result = notice ? DialogBoxIndirectParam(&kNotice, nullptr, NoticeProc, 0)
                            : DialogBoxIndirectParam(&kLogon, nullptr, LogonProc, 0);
  std::printf("result=%ld\n", static_cast<long>(result));
  return 0;
}
