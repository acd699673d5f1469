// The utility's message boxes and small control helpers.
#pragma once

#include <cstdint>

#include "platform/dialog.h"
#include "platform/odbc_dsn.h"

// A box captioned VEL_IDS_CAPTION with the text of `number`.
int ShowCatalogMessage(DlgHwnd owner, uint32_t number, uint32_t type);
// The same with the text used as a format of the two numbers.
int ShowCatalogMessageRange(DlgHwnd owner, uint32_t number, uint32_t type, long low, long high);
// VEL_IDS_READ_ERR naming the scope's odbc.ini, with the exclamation icon.
void ShowDataSourceFileError(DlgHwnd owner, PlatDsnScope scope);
// Gives the control the focus and selects its whole text.
void FocusControl(DlgHwnd dialog, int id);
