#include "tools/shared/tool_env.h"

#include "tools/shared/tool_text.h"

ToolEnv MakeToolEnv(const DriverExports* exports) {
  ToolEnv env;
  char name[513];
  ToolText(kMsgRegCliName, name, sizeof name);
  env.driver_name = name;
  if (exports != nullptr) env.driver = *exports;
  return env;
}
