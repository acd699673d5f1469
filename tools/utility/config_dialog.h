// The utility's main dialog, VCCCONFIG: how data sources are registered
// and refreshed, and the buttons to update, remove and report now.
#pragma once

#include <cstdint>

#include "platform/dialog.h"

// Control ids of VCCCONFIG.
enum : int {
  kCfgUpdateNow = 100,
  kCfgRemove = 101,
  kCfgReport = 102,
  kCfgSystemDsn = 103,
  kCfgAdvanced = 104,
  kCfgAutoUpdate = 105,
  kCfgEveryStart = 106,
  kCfgEveryHours = 107,
  kCfgHours = 108,
  kCfgHelp = 2000,
};

// The private message a dialog posts to itself to start its work once it
// is shown, and the advanced dialog's "take over the server text".
constexpr uint32_t kMsgStartWork = WM_USER + 1000;
constexpr uint32_t kMsgTakeServer = WM_USER + 1001;

constexpr long kHoursMin = 1;
constexpr long kHoursMax = 744;

// The hours text as a whole decimal number (leading blanks and a sign
// allowed) within 1 to 744; false otherwise.
bool ParseHours(const char* text, long* hours);

// The parameter is a UtilityContext (utility_context.h).
DlgResult ConfigDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam);
