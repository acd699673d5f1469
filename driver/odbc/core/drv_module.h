// The driver library's own module, kept from process attach.
#pragma once

#include "platform/module.h"

void DrvSetModuleHandle(PlatModule module);
// The module saved at attach; null before (or outside the library).
PlatModule DrvModuleHandle();
