#include "driver/lna/proxy.h"

#include <cstdio>

#include "common/profile.h"
#include "common/str_util.h"
#include "driver/lna/lna_messages.h"
#include "driver/lna/protocol_trace.h"

namespace {

constexpr size_t kPathSize = 256;
constexpr size_t kValueSize = 128;

bool ProxySwitchedOn(const char* value) {
  return value[0] == '1' || StrCaseCompare(value, "true") == 0;
}

}  // namespace

int NetProxyAddress(char* address, size_t size) {
  TraceHandle* trace = ProtocolTrace();
  char path[kPathSize], section[kPathSize];
  LnaMessageText(kMsgRegCliWin32Key, path, sizeof path);
  LnaMessageText(kMsgRegCliHkcuFirewall, section, sizeof section);
  TracePrintf(trace, "  REG_CLI_WIN32_KEY = %s.\n", path);
  TracePrintf(trace, "  REG_CLI_HKCU_FIREWALL = %s.\n", section);

  char use[kValueSize] = "";
  ProfileReadString(path, section, "UseProxyServer", "", use, sizeof use);
  TracePrintf(trace, "  UseProxyServer = %s.\n", use);
  if (!ProxySwitchedOn(use)) return 0;

  char server[kValueSize] = "", port[kValueSize] = "";
  ProfileReadString(path, section, "ProxyServer", "", server, sizeof server);
  TracePrintf(trace, "  ProxyServer = %s.\n", server);
  ProfileReadString(path, section, "ProxyPort", "", port, sizeof port);
  TracePrintf(trace, "  ProxyPort = %s.\n", port);
  if (server[0] == '\0') {
    TracePrintf(trace, "  ProxyServer string empty.\n");
    return 0;
  }
  std::snprintf(address, size, "%s:%s", server, port);
  return 1;
}
