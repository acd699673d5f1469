#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "testing/dialog_scripted_host.h"

namespace {

const DlgItemTemplate kItems[] = {
    {1, DlgItemKind::kButton, "OK", kDlgTabStop | kDlgDefault, 0, 0, 20, 10, 0},
};
const DlgTemplate kMain = {
    0, "MAIN", "VeltoClient Configuration", nullptr, 0, 0, 60, 20, kItems, DLG_COUNT(kItems)};

struct Probe {
  bool found_inside = false;
  int child_status = -1;
};

// While the dialog is open, this process and another one look for it.
DlgResult LookForItself(DlgHwnd dialog, uint32_t message, DlgWParam, DlgLParam lparam) {
  if (message != WM_INITDIALOG) return 0;
  auto* probe = reinterpret_cast<Probe*>(lparam);
  probe->found_inside = FindWindow(nullptr, "VeltoClient Configuration") != nullptr;
  pid_t child = fork();
  if (child == 0) {
    DlgUseHost(DlgNoneHost());
    DlgHwnd other = FindWindow(nullptr, "VeltoClient Configuration");
    bool missing = FindWindow(nullptr, "VeltoClient") == nullptr;
    _exit(other != nullptr && missing && SetForegroundWindow(other) ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  probe->child_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  EndDialog(dialog, 1);
  return 0;
}

TEST(DialogInstance, ATopLevelDialogIsFoundByItsCaptionFromAnyProcess) {
  // A scope of its own keeps parallel tests apart.
  setenv("VELTO_DIALOG_SCOPE", ("instance-test-" + std::to_string(getpid())).c_str(), 1);
  ScriptedDlgHost host;
  DlgHost* before = DlgUseHost(&host);
  EXPECT_EQ(FindWindow(nullptr, "VeltoClient Configuration"), nullptr);
  Probe probe;
  EXPECT_EQ(
      DialogBoxIndirectParam(&kMain, nullptr, LookForItself, reinterpret_cast<DlgLParam>(&probe)),
      1);
  EXPECT_TRUE(probe.found_inside);
  EXPECT_EQ(probe.child_status, 0);
  EXPECT_EQ(FindWindow(nullptr, "VeltoClient Configuration"), nullptr);
  DlgUseHost(before);
  unsetenv("VELTO_DIALOG_SCOPE");
}

}  // namespace
