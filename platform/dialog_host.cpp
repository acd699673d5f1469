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
std::once_flag g_chosen_once;
DlgHost* g_chosen = nullptr;

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

DlgHost* Choose() {
  std::string setting = Setting();
  if (strcasecmp(setting.c_str(), "none") == 0) return DlgNoneHost();
  if (strcasecmp(setting.c_str(), "scripted") == 0) {
    const char* script = std::getenv("VELTO_DIALOG_SCRIPT");
    const char* record = std::getenv("VELTO_DIALOG_RECORD");
    DlgHost* host = ScriptedDlgHost::FromFiles(script, record).release();
    return host != nullptr ? host : DlgNoneHost();
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
  std::call_once(g_chosen_once, [] { g_chosen = Choose(); });
  return g_chosen;
}
