// ConfigDSN with a window, as the installer calls it, on a scripted user:
// a process of its own, since the library keeps the dialog host it found
// at its first dialog for as long as the installer keeps it loaded.
#include <gtest/gtest.h>
#include <odbcinst.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "testing/installer_test_support.h"
#include "testing/registry_sandbox.h"

namespace {

using namespace setup_testing;
using testing_registry::ReadFileText;
using testing_registry::UseSandbox;

TEST(ConfigDsnDialog, AScriptedUserFillsTheDialogIn) {
  UseInstallerSandbox(VEL_SETUP_PATH);
  const std::string script = UseSandbox().root + "/dialog.script";
  const std::string record = UseSandbox().root + "/dialog.record";
  std::ofstream(script) << "type 1104 sales\ntype 1105 127.0.0.1\ntype 1106 1583\nclick 1\n";
  setenv("VELTO_DIALOG_HOST", VEL_DIALOG_HOST_MODULE, 1);
  setenv("VELTO_DIALOG_SCRIPT", script.c_str(), 1);
  setenv("VELTO_DIALOG_RECORD", record.c_str(), 1);
  int window = 0;
  EXPECT_TRUE(SQLConfigDataSource(&window, ODBC_ADD_DSN, kDriver,
                                  Attributes({"DSN=Dialog", "Description=typed in"}).c_str()));
  Section expected = {{"Driver", kDriver},
                      {"Description", "typed in"},
                      {"ServerName", "127.0.0.1.1583"},
                      {"ServerDSN", "sales"},
                      {"UID", ""},
                      {"ArrayFetchOn", "1"},
                      {"ArrayBufferSize", "8"}};
  EXPECT_EQ(UserIni()["Dialog"], expected);
  EXPECT_EQ(FileDsn("Dialog"), "[ODBC]\nDSN=Dialog");
  const std::string recorded = ReadFileText(record);
  EXPECT_NE(recorded.find("open 101\n"), std::string::npos) << recorded;
  EXPECT_NE(recorded.find("end 0\n"), std::string::npos) << recorded;
}

}  // namespace
