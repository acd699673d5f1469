#include "platform/dialog_host.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "platform/dialog_scripted_host.h"
#include "platform/dialog_terminal_host.h"
#include "platform/registry.h"

namespace {

class NoneHost : public DlgHost {
 public:
  bool CanShowDialogs() override { return false; }
  bool NextAction(DlgHwnd, DlgAction*) override { return false; }
  int ShowMessageBox(DlgHwnd, const char* text, const char* title, uint32_t) override {
    std::fprintf(stderr, "%s: %s\n", title, text);
    std::fflush(stderr);
    return 0;
  }
  bool AskSaveFile(DlgSaveFile*) override { return false; }
};

std::atomic<DlgHost*> g_installed{nullptr};
std::mutex g_chosen_lock;
std::string g_chosen_by;  // the settings the chosen host was made from
DlgHost* g_chosen = nullptr;
std::unique_ptr<ScriptedDlgHost> g_scripted;

std::string Setting() {
  const char* variable = std::getenv("VELTO_DIALOG_HOST");
  if (variable != nullptr && variable[0] != '\0') return variable;
  PlatRegKey* key = nullptr;
  if (PlatRegOpenKey(PlatRegRootKey(PlatRegRoot::kCurrentUser), "Software\\Velto\\Client", &key) !=
      kPlatRegOk)
    return {};
  char value[32];
  uint32_t size = sizeof value;
  std::string result;
  if (PlatRegQueryValue(key, "DialogHost", value, &size) == kPlatRegOk) result = value;
  PlatRegCloseKey(key);
  return result;
}

bool HasTerminal() {
  int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  close(fd);
  return true;
}

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

DlgHost* Choose(const std::string& setting) {
  if (strcasecmp(setting.c_str(), "none") == 0) return DlgNoneHost();
  if (strcasecmp(setting.c_str(), "scripted") == 0) {
    const std::string script = Variable("VELTO_DIALOG_SCRIPT");
    const std::string record = Variable("VELTO_DIALOG_RECORD");
    g_scripted = ScriptedDlgHost::FromFiles(script.c_str(), record.c_str());
    if (g_scripted == nullptr) return DlgNoneHost();
    return g_scripted.get();
  }
  // The terminal is used only where a person can answer on it.
  if ((setting.empty() || strcasecmp(setting.c_str(), "terminal") == 0) && HasTerminal())
    return DlgTerminalHost();
  return DlgNoneHost();
}

}  // namespace

DlgHost* DlgNoneHost() {
  static NoneHost host;
  return &host;
}

DlgHost* DlgUseHost(DlgHost* host) {
  return g_installed.exchange(host);
}

DlgHost* DlgCurrentHost() {
  if (DlgHost* installed = g_installed.load()) return installed;
  // Chosen again only when the settings change: a test may point a process
  // at another script.
  std::string setting = Setting();
  std::string by =
      setting + "\n" + Variable("VELTO_DIALOG_SCRIPT") + "\n" + Variable("VELTO_DIALOG_RECORD");
  std::lock_guard<std::mutex> hold(g_chosen_lock);
  if (g_chosen == nullptr || by != g_chosen_by) {
    g_chosen = Choose(setting);
    g_chosen_by = by;
  }
  return g_chosen;
}
