#include "tools/utility/report_file.h"

#include "common/msg_format.h"
#include "tools/shared/tool_messages.h"
#include "tools/utility/utility_boxes.h"

namespace {

std::string Formatted(uint32_t number, const std::string& text) {
  return MsgFormatChecked(ToolMessage(number).c_str(), {MsgArg::Text(text.c_str())});
}

}  // namespace

std::string ReportText(const std::vector<ReportServer>& report, std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char date[64];
  std::strftime(date, sizeof date, "%a %b %e %H:%M:%S %Y\n", &local);
  std::string text = Formatted(kIdsReportHeading, date);
  for (const ReportServer& server : report) {
    text += Formatted(kIdsReportServer, server.description);
    for (bool installed : {false, true}) {
      text += ToolMessage(installed ? kIdsReportUpdated : kIdsReportAdded);
      for (const ReportSource& source : server.sources) {
        if (source.installed == installed) text += "\t" + source.name + "\n";
      }
    }
    text += ToolMessage(kIdsReportRemoved);
    for (const std::string& name : server.removed) text += "\t" + name + "\n";
    text += "\n";
  }
  return text;
}

void SaveReportToFile(DlgHwnd owner, const std::vector<ReportServer>& report) {
  char file[256] = "VeltoDS.Txt";
  DlgSaveFile request;
  request.owner = owner;
  request.filter_name = "Text files";
  request.filter_pattern = "*.txt";
  request.file = file;
  request.file_size = 255;
  request.flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  if (!GetSaveFileName(&request)) {
    if (CommDlgExtendedError() != 0) {
      ShowToolText(owner, kIdsCaption, "Failed to create save dialog.", MB_OK);
    }
    return;
  }
  std::FILE* out = std::fopen(file, "w");
  if (out == nullptr) {
    ShowCatalogMessage(owner, kIdsCreateFileErr, MB_OK);
    return;
  }
  std::string text = ReportText(report, std::time(nullptr));
  bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  // A report cut short by a full disk is no report: say so.
  if (std::fclose(out) != 0 || !written) ShowCatalogMessage(owner, kIdsCreateFileErr, MB_OK);
}
