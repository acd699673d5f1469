// The remote-call client's rows of the driver's built-in message table, and
// the lookup its transport and protocol choice read their registry paths
// with.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/messages.h"

// Registry paths (the top bit marks the catalogue's own families).
enum : uint32_t {
  kMsgRegCliHkcuProtocol = 0x80000000u | 25010,  // VEL_REG_CLI_HKCU_PROTOCOL
  kMsgRegCliHkcuFirewall = 0x80000000u | 25011,  // VEL_REG_CLI_HKCU_FIREWALL
  kMsgRegCliWin32Key = 0x80000000u | 25012,      // VEL_REG_CLI_WIN32_KEY
  kMsgRegSvrHkcuProtocol = 0x80000000u | 25013,  // VEL_REG_SVR_HKCU_PROTOCOL
  kMsgRegSvrHkcuFirewall = 0x80000000u | 25014,  // VEL_REG_SVR_HKCU_FIREWALL
};

// The rows, ended by a row of number 0, for the driver's table to include.
extern const MsgDefault kLnaMessages[];

// The catalogue's text of `number` (at most size - 1 characters and a NUL);
// when the catalogue has none (not loaded, or the number unknown to it), the
// text of this table's row.
void LnaMessageText(uint32_t number, char* buffer, size_t size);
