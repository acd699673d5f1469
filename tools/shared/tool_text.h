// The registry paths of the tools' core, from the process's message
// catalogue, with built-in texts for a catalogue that lacks them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/messages.h"
#include "driver/lna/lna_messages.h"

enum : uint32_t {
  kMsgRegCliVersion = 0x80000000u | 25000,      // VEL_REG_CLI_VERSION
  kMsgRegServerListFile = 0x80000000u | 25006,  // VEL_REG_SERVER_LIST_FILE
  kMsgRegCliName = 0x80000000u | 25007,         // VEL_REG_CLI_NAME: the driver's registered name
  kMsgRegCliClient = 0x80000000u | 25008,       // VEL_REG_CLI_CLIENT
};

// The core's rows, ended by a row of number 0, for a tool's table to
// include (with the remote-call client's rows, kLnaMessages, which hold
// the firewall and client key paths).
extern const MsgDefault kToolCoreMessages[];

// The catalogue's text of `number` (at most size - 1 characters and a NUL),
// else the built-in one of these rows or the remote-call client's.
void ToolText(uint32_t number, char* buffer, size_t size);

// The literal key of the drivers' settings, where the service values sit
// beside the driver's own entry.
constexpr const char kOdbcInstKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBCINST.INI";
