#include "driver/odbc/core/drv_module.h"

namespace {

PlatModule g_module = nullptr;

}  // namespace

void DrvSetModuleHandle(PlatModule module) {
  g_module = module;
}

PlatModule DrvModuleHandle() {
  return g_module;
}
