#include "driver/lna/lna_messages.h"

const MsgDefault kLnaMessages[] = {
    {kMsgRegCliHkcuProtocol, "VEL_REG_CLI_HKCU_PROTOCOL", "Client\\6.1\\Protocol Stack"},
    {kMsgRegCliHkcuFirewall, "VEL_REG_CLI_HKCU_FIREWALL", "Client\\6.1\\Firewall Tunneling"},
    {kMsgRegCliWin32Key, "VEL_REG_CLI_WIN32_KEY", "\\HKEY_CURRENT_USER\\SOFTWARE\\Velto"},
    {kMsgRegSvrHkcuProtocol, "VEL_REG_SVR_HKCU_PROTOCOL", "Server\\6.1\\Protocol Stack"},
    {kMsgRegSvrHkcuFirewall, "VEL_REG_SVR_HKCU_FIREWALL", "Server\\6.1\\Firewall Tunneling"},
    {0, nullptr, nullptr},
};

void LnaMessageText(uint32_t number, char* buffer, size_t size) {
  MsgGetTextOr(kLnaMessages, number, buffer, size);
}
