// VCRREFRESH: a wait notice shown while the data sources are refreshed;
// the outcome comes in a message box, then the notice closes.
#pragma once

#include <cstdint>

#include "platform/dialog.h"
#include "tools/shared/service_settings.h"
#include "tools/shared/tool_env.h"

struct RefreshContext {
  const ToolEnv* env = nullptr;
  const ServiceSettings* settings = nullptr;
};

// The update with the notice as owner, its outcome in boxes captioned
// VEL_IDS_CAPTION_SCR.
void RunRefresh(DlgHwnd dialog, const RefreshContext& context);

// The parameter is a RefreshContext; ends with 0.
DlgResult RefreshDialogProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam);
