// The scripted host as a host module, for the processes a test starts and
// the libraries it has the driver manager or the installer load: with
// VELTO_DIALOG_HOST naming this library, the dialogs of the process take
// their actions from the file VELTO_DIALOG_SCRIPT and append their record
// to the file VELTO_DIALOG_RECORD.
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/dialog_host.h"
#include "testing/dialog_scripted_host.h"

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

struct Chosen {
  std::string by;  // the script and record the host was made from
  std::unique_ptr<ScriptedDlgHost> host;
};

// One host for each library that loaded the module: each has dialogs of
// its own.
std::mutex g_lock;
std::map<const DlgHostServices*, Chosen> g_chosen;

}  // namespace

extern "C" __attribute__((visibility("default"))) DlgHost* VelDialogHost(
    const DlgHostServices* services) {
  const std::string script = Variable("VELTO_DIALOG_SCRIPT");
  const std::string record = Variable("VELTO_DIALOG_RECORD");
  std::lock_guard<std::mutex> hold(g_lock);
  auto [chosen, fresh] = g_chosen.try_emplace(services);
  // Made again only when the files change: a test may point a process at
  // another script.
  std::string by = script + "\n" + record;
  if (fresh || chosen->second.by != by) {
    chosen->second.by = by;
    chosen->second.host =
        ScriptedDlgHost::FromFiles(script.c_str(), record.c_str(), services->snapshot);
  }
  return chosen->second.host.get();
}
