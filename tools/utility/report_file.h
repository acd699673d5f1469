// The data-source report as a text file.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "tools/utility/report_model.h"

// The file's text: the heading with `when` (local time, in the 24-character
// "Wed Jun  5 10:00:00 2024" form and a line end), then per server its line,
// the data sources to be added, those to be updated and those to be
// removed.
std::string ReportText(const std::vector<ReportServer>& report, std::time_t when);

// Asks for a file name (proposing "VeltoDS.Txt") and writes the report
// there, telling the user when the prompt or the file fails.
void SaveReportToFile(DlgHwnd owner, const std::vector<ReportServer>& report);
