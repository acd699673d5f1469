// VCCREMOVE: removes chosen data sources of this driver, with their File
// DSNs.
#pragma once

#include <cstdint>

#include "platform/dialog.h"

enum : int {
  kRmvDeselectAll = 100,
  kRmvSelectAll = 101,
  kRmvList = 102,
  kRmvRemove = 103,
};

// The parameter is a UtilityContext.
DlgResult RemoveDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam);
