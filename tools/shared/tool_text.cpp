#include "tools/shared/tool_text.h"

#include "common/str_util.h"

const MsgDefault kToolCoreMessages[] = {
    {kMsgRegCliVersion, "VEL_REG_CLI_VERSION", "6.1"},
    {kMsgRegServerListFile, "VEL_REG_SERVER_LIST_FILE",
     "HKEY_CURRENT_USER\\Software\\Velto\\Client"},
    {kMsgRegCliName, "VEL_REG_CLI_NAME", "VeltoClient-Debug"},
    {kMsgRegCliClient, "VEL_REG_CLI_CLIENT", "Client"},
    {0, nullptr, nullptr},
};

void ToolText(uint32_t number, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return;
  for (const MsgDefault* row = kToolCoreMessages; row->number != 0; ++row) {
    if (row->number != number) continue;
    if (MsgGetText(number, buffer, size)) return;
    StrCopyBounded(buffer, row->text, size - 1);
    buffer[size - 1] = '\0';
    return;
  }
  LnaMessageText(number, buffer, size);
}
