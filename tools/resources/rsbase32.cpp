// The base resource library: the locator falls back on it when the
// driver's is missing. The locator shows no dialog, so it holds no
// template; being loadable is all that is asked of it.
#include "platform/dialog_template.h"

extern "C" __attribute__((visibility("default")))
const DlgTemplateTable VelDialogTemplates = {kDlgTemplateVersion, nullptr, 0};
