// The setup library's dialogs and its message box.
#pragma once

#include <cstdint>

#include "platform/module.h"
#include "setup/setup_context.h"

// The configuration dialog, owned by `parent`; its end value: 0 after a
// successful OK, 1 after Cancel, or the code that kept it from opening.
uint32_t RunConfigureDialog(void* parent, SetupContext* context);

// Shows the code's message over `window` (none: no owner) and, with a
// control, gives that control the focus with its text selected. The answer
// (6 for Yes), or 0 when no box was shown.
int ShowConfigMessage(PlatModule instance, void* window, uint32_t code, const char* argument,
                      int control, uint32_t range);
