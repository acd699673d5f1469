#include "setup/setup_codes.h"
#include "setup/setup_dialogs.h"

uint32_t RunConfigureDialog(void*, SetupContext*) {
  return kCfgBadRequest;
}

int ShowConfigMessage(PlatModule, void*, uint32_t, const char*, int, uint32_t) {
  return 0;
}
