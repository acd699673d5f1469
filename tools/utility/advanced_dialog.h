// VCCCONFIG2: the one server asked in direct mode and its TCP port.
#pragma once

#include <cstdint>
#include <string>

#include "platform/dialog.h"

enum : int {
  kAdvServer = 109,
  kAdvPort = 110,
};

// The port text as a whole decimal number from 1 to 65535, else the port
// of a TCP service of that name; false when it is neither.
bool ParsePortOrService(const std::string& text, uint16_t* port);

// The parameter is a UtilityContext over a copy of the settings; ends with
// IDOK after storing the server and port in it, or with IDCANCEL.
DlgResult AdvancedDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam);
