// The setup library's exports and its process lifetime.
#include <odbcinst.h>

#include "setup/config_dsn.h"
#include "setup/setup_module.h"

namespace {

void ProcessAttach() {
  PlatModule self = nullptr;
  if (PlatModuleOf(reinterpret_cast<const void*>(&ProcessAttach), &self) != 0) return;
  SetupAttach(self);
}

// A static object rather than bare constructor functions: what the attach
// steps create on first use is then destroyed only after detach has run.
struct ProcessLifetime {
  ProcessLifetime() { ProcessAttach(); }
  ~ProcessLifetime() { SetupDetach(); }
};

ProcessLifetime g_lifetime;

}  // namespace

extern "C" __attribute__((visibility("default"))) BOOL INSTAPI ConfigDSN(HWND hwndParent,
                                                                         WORD fRequest,
                                                                         LPCSTR lpszDriver,
                                                                         LPCSTR lpszAttributes) {
  return ConfigDsnEntry(hwndParent, fRequest, lpszDriver, lpszAttributes) ? 1 : 0;
}
