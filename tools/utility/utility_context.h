// What every dialog of the configuration utility works with: the tools'
// environment, the settings record it edits, and the help file.
#pragma once

#include <string>

#include "tools/shared/service_settings.h"
#include "tools/shared/tool_env.h"

struct UtilityContext {
  const ToolEnv* env = nullptr;
  // The main dialog's live record; the advanced dialog gets a context over
  // a copy.
  ServiceSettings* settings = nullptr;
  // The program's path with ".hlp": help requests name it.
  std::string help_file;
};

// The context a dialog keeps in its user word.
inline UtilityContext* ContextOf(DlgHwnd dialog) {
  return reinterpret_cast<UtilityContext*>(GetWindowLongPtr(dialog, DWL_USER));
}
