#include "platform/dialog_host.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/dialog_terminal_host.h"
#include "platform/module.h"
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
std::string g_chosen_by;  // the setting the chosen host was made from
DlgHost* g_chosen = nullptr;
DlgHostModuleEntry g_module = nullptr;  // the chosen host module's entry, or null

const DlgHostServices kServices = {DlgSnapshot};

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

// Stays loaded for the process: the hosts it gave may still be in use.
DlgHostModuleEntry LoadHostModule(const std::string& path) {
  PlatModule module = PlatModuleLoadFile(path.c_str());
  if (module == nullptr) return nullptr;
  auto entry = reinterpret_cast<DlgHostModuleEntry>(PlatModuleSymbol(module, kDlgHostModuleEntry));
  if (entry == nullptr) PlatModuleFree(module);
  return entry;
}

DlgHost* Choose(const std::string& setting) {
  g_module = nullptr;
  if (strcasecmp(setting.c_str(), "none") == 0) return DlgNoneHost();
  if (setting[0] == '/') {
    g_module = LoadHostModule(setting);
    return DlgNoneHost();
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
  // Chosen again only when the setting changes: a test may point a process
  // at another module.
  std::string setting = Setting();
  std::lock_guard<std::mutex> hold(g_chosen_lock);
  if (g_chosen == nullptr || setting != g_chosen_by) {
    g_chosen = Choose(setting);
    g_chosen_by = setting;
  }
  if (g_module != nullptr) {
    if (DlgHost* host = g_module(&kServices)) return host;
  }
  return g_chosen;
}
