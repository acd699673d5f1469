#include "driver/odbc/api/drv_entry.h"

#include "common/pool.h"
#include "common/res_dll.h"
#include "common/syn_obj.h"
#include "common/tls_slot.h"
#include "driver/lna/lna_call.h"
#include "driver/odbc/core/drv_module.h"
#include "driver/odbc/diag/drv_messages.h"

namespace {

constexpr const char* kResourceLibrary = "rsdriv32.dll";

bool g_attached = false;

void ProcessAttach() {
  PlatModule self = nullptr;
  if (PlatModuleOf(reinterpret_cast<const void*>(&ProcessAttach), &self) != 0) return;
  DrvSetModuleHandle(self);
  if (!ResDllLoadBeside(kResourceLibrary, self)) return;
  // Their results are not examined: each leaves its service usable in a
  // reduced way (built-in texts, no pool, no thread slot) when it fails.
  DrvLoadMessages();
  PoolTableInit();
  TlsSlotInit();
  LnaInit();
  g_attached = true;
}

void ProcessDetach() {
  if (!g_attached) return;
  g_attached = false;
  LnaTerm();
  // The runtime is linked into this library, so a trace left open here
  // would outlive every unload by the driver manager.
  SynObjCloseTrace();
  PoolTableTerm();
  TlsSlotTerm();
  DrvReleaseMessages();
  ResDllFree();
}

// A static object rather than bare constructor functions: what the attach
// steps create on first use is then destroyed only after the detach steps
// have run.
struct ProcessLifetime {
  ProcessLifetime() { ProcessAttach(); }
  ~ProcessLifetime() { ProcessDetach(); }
};

ProcessLifetime g_lifetime;

}  // namespace

bool DrvAttached() {
  return g_attached;
}
