#include "testing/dialog_scripted_host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/dialog_host.h"
#include "testing/temp_dir.h"

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

DlgResult TypeThenOk(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam) {
  if (message == WM_COMMAND && LOWORD(wparam) == IDOK) {
    char text[64];
    GetDlgItemText(dialog, 5, text, sizeof text);
    MessageBox(dialog, text, "Typed", MB_OK);
    EndDialog(dialog, 1);
  }
  if (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL) EndDialog(dialog, 2);
  return 0;
}

const DlgItemTemplate kItems[] = {
    {5, DlgItemKind::kEdit, "", kDlgTabStop, 0, 0, 50, 10, 0},
    {6, DlgItemKind::kListBox, "", kDlgTabStop, 0, 12, 50, 30, 0},
    {1, DlgItemKind::kButton, "OK", kDlgTabStop | kDlgDefault, 0, 44, 20, 10, 0},
    {2, DlgItemKind::kButton, "Cancel", kDlgTabStop, 22, 44, 20, 10, 0},
};
const DlgTemplate kDialog = {7, nullptr, "Script", nullptr, 0,
                             0, 60,      60,       kItems,  DLG_COUNT(kItems)};

TEST(ScriptedDlgHost, ReadsAScriptFileAndAppendsToTheRecordFile) {
  TempDir dir;
  const std::string script = dir.path() + "/script";
  const std::string record = dir.path() + "/record";
  std::ofstream(script) << "# a comment\n"
                           "desktop 0 0 640 480\n"
                           "capacity 6 1\n"
                           "type 5 two words; and=more\r\n"
                           "click 1\n"
                           "answer 1\n";
  auto host = ScriptedDlgHost::FromFiles(script.c_str(), record.c_str());
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(host->Desktop().right, 640);
  EXPECT_EQ(host->ListCapacity(nullptr, 6), 1u);
  DlgHost* before = DlgUseHost(host.get());
  EXPECT_EQ(DialogBoxIndirectParam(&kDialog, nullptr, TypeThenOk, 0), 1);
  DlgUseHost(before);
  EXPECT_EQ(Slurp(record), "open 7\nbox 0 Typed|two words; and=more -> 1\nend 1\n");
}

TEST(ScriptedDlgHost, RefusesScriptsItCannotRead) {
  const char* bad[] = {"jump 5\n",        "type x\n", "select 6\n",
                       "capacity 6 -1\n", "answer\n", "desktop 1 2\n"};
  for (const char* text : bad) {
    ScriptedDlgHost host;
    EXPECT_FALSE(host.AddScript(text)) << text;
    EXPECT_EQ(host.Pending(), 0u);
  }
  EXPECT_EQ(ScriptedDlgHost::FromFiles("/nonexistent/script", nullptr), nullptr);
  ScriptedDlgHost host;
  EXPECT_TRUE(host.AddScript("select 6 0 2\ndblclick 6 1\nsave /tmp/x\nnosave\nprobe\n"));
  EXPECT_EQ(host.Pending(), 5u);
}

// The host module as a process the tests start finds it: by the
// environment, made again when the script changes.
TEST(ScriptedDlgHost, AProcessFindsItAsTheHostModuleTheEnvironmentNames) {
  TempDir dir;
  const std::string record = dir.path() + "/record";
  std::ofstream(dir.path() + "/first") << "type 5 one\nclick 1\nanswer 1\n";
  std::ofstream(dir.path() + "/second") << "click 2\n";
  setenv("VELTO_DIALOG_HOST", VEL_DIALOG_HOST_MODULE, 1);
  setenv("VELTO_DIALOG_RECORD", record.c_str(), 1);
  setenv("VELTO_DIALOG_SCRIPT", (dir.path() + "/first").c_str(), 1);
  EXPECT_EQ(DialogBoxIndirectParam(&kDialog, nullptr, TypeThenOk, 0), 1);
  setenv("VELTO_DIALOG_SCRIPT", (dir.path() + "/second").c_str(), 1);
  EXPECT_EQ(DialogBoxIndirectParam(&kDialog, nullptr, TypeThenOk, 0), 2);
  EXPECT_EQ(Slurp(record), "open 7\nbox 0 Typed|one -> 1\nend 1\nopen 7\nend 2\n");

  // A module that cannot be loaded, or a script that cannot be read,
  // leaves no host: the dialog fails to be created.
  setenv("VELTO_DIALOG_SCRIPT", (dir.path() + "/missing").c_str(), 1);
  EXPECT_EQ(DialogBoxIndirectParam(&kDialog, nullptr, TypeThenOk, 0), -1);
  setenv("VELTO_DIALOG_HOST", (dir.path() + "/no_module.so").c_str(), 1);
  EXPECT_EQ(DialogBoxIndirectParam(&kDialog, nullptr, TypeThenOk, 0), -1);
  setenv("VELTO_DIALOG_HOST", "none", 1);
  unsetenv("VELTO_DIALOG_SCRIPT");
  unsetenv("VELTO_DIALOG_RECORD");
}

}  // namespace
