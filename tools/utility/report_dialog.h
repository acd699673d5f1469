// DSREPORT: per server, how many of its data sources an update would add
// and how many it would update; details per server and a report file.
// DetailReport: one server's data sources.
#pragma once

#include <cstdint>

#include "platform/dialog.h"

enum : int {
  kRptDetails = 100,  // DSREPORT: button; DetailReport: the list
  kRptList = 101,     // DSREPORT: the servers; DetailReport: the server's text
  kRptSave = 102,
};

struct UtilityContext;

// Runs DSREPORT over the context's settings; the report it builds lives
// until the dialog ends.
DlgResult RunReportDialog(DlgHwnd parent, UtilityContext* context);

DlgResult ReportDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam);
DlgResult DetailReportDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam);
