#include "tools/utility/report_dialog.h"

#include <cstdio>
#include <string>
#include <vector>

#include "common/res_dll.h"
#include "tools/shared/dsn_store.h"
#include "tools/shared/registration.h"
#include "tools/shared/tcp_discovery.h"
#include "tools/shared/tool_messages.h"
#include "tools/shared/tool_status.h"
#include "tools/shared/update_run.h"
#include "tools/utility/config_dialog.h"
#include "tools/utility/report_file.h"
#include "tools/utility/report_model.h"
#include "tools/utility/utility_boxes.h"
#include "tools/utility/utility_context.h"

namespace {

// What the open report holds, from its filling to its end.
struct ReportState {
  UtilityContext* context = nullptr;
  std::vector<ReportServer> report;
};

// What a detail dialog shows.
struct DetailParam {
  const ReportServer* server;
  const char* help_file;
};

ReportState* StateOf(DlgHwnd dialog) {
  return reinterpret_cast<ReportState*>(GetWindowLongPtr(dialog, DWL_USER));
}

void AddLine(DlgHwnd dialog, int id, const std::string& line) {
  SendDlgItemMessage(dialog, id, LB_ADDSTRING, 0, reinterpret_cast<DlgLParam>(line.c_str()));
}

void SetTabStops(DlgHwnd dialog, int id, std::vector<int32_t> stops) {
  SendDlgItemMessage(dialog, id, LB_SETTABSTOPS, stops.size(),
                     reinterpret_cast<DlgLParam>(stops.data()));
}

void Fill(DlgHwnd dialog) {
  ReportState* state = StateOf(dialog);
  const UtilityContext& context = *state->context;
  state->report.clear();
  SendDlgItemMessage(dialog, kRptList, LB_RESETCONTENT, 0, 0);
  EnableWindow(GetDlgItem(dialog, kRptDetails), false);
  EnableWindow(GetDlgItem(dialog, kRptSave), false);

  DlgCursor before = SetCursor(DlgCursor::kWait);
  ServerEntries servers;
  int32_t found = DiscoverDataSources(*context.env, &servers, *context.settings);
  SetCursor(before);
  if (found == kCspNothingFound) {
    AddLine(dialog, kRptList, "No data sources found");
  } else if (found != kCspDone) {
    ShowDiscoveryFailure(dialog, kIdsCaption, found);
    return;
  }
  std::vector<std::string> installed;
  PlatDsnScope scope = DsnScope(*context.settings);
  // Without the installed names every offered one would look new.
  if (!CollectDriverDataSources(*context.env, scope, &installed)) {
    ShowDataSourceFileError(dialog, scope);
    return;
  }
  std::vector<DataSourceRemoval> removals;
  if (FindDataSourceRemovals(*context.env, servers, *context.settings, installed, &removals) !=
      kCspDone) {
    ShowCatalogMessage(dialog, kIdsMemoryErr, MB_OK);
    return;
  }
  state->report = BuildReport(servers, installed, removals);
  for (const ReportServer& server : state->report) {
    char counts[96];
    std::snprintf(counts, sizeof counts, "\t%ld\t%ld\t%ld", server.Added(), server.Updated(),
                  server.Removed());
    AddLine(dialog, kRptList, server.description + counts);
  }
  if (!state->report.empty()) {
    SendDlgItemMessage(dialog, kRptList, LB_SETCURSEL, 0, 0);
    EnableWindow(GetDlgItem(dialog, kRptDetails), true);
    EnableWindow(GetDlgItem(dialog, kRptSave), true);
  }
}

void ShowDetails(DlgHwnd dialog) {
  ReportState* state = StateOf(dialog);
  DlgResult line = SendDlgItemMessage(dialog, kRptList, LB_GETCURSEL, 0, 0);
  if (line < 0 || static_cast<size_t>(line) >= state->report.size()) return;
  DetailParam detail{&state->report[static_cast<size_t>(line)], state->context->help_file.c_str()};
  DialogBoxParam(ResDllHandle(), "DetailReport", dialog, DetailReportDlgProc,
                 reinterpret_cast<DlgLParam>(&detail));
}

}  // namespace

DlgResult ReportDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtr(dialog, DWL_USER, lparam);
      DlgCenterOverParent(dialog);
      SetTabStops(dialog, kRptList, {148, 180, 212});
      EnableWindow(GetDlgItem(dialog, kRptDetails), false);
      EnableWindow(GetDlgItem(dialog, kRptSave), false);
      PostMessage(dialog, kMsgStartWork, 0, 0);
      return 1;
    }
    case kMsgStartWork:
      Fill(dialog);
      return 1;
    case WM_COMMAND: {
      int id = LOWORD(wparam);
      if (id == kRptDetails || (id == kRptList && HIWORD(wparam) == LBN_DBLCLK)) {
        ShowDetails(dialog);
      } else if (id == kRptSave) {
        SaveReportToFile(dialog, StateOf(dialog)->report);
      } else if (id == IDOK || id == IDCANCEL) {
        EndDialog(dialog, id);
      } else if (id == kCfgHelp) {
        WinHelp(dialog, StateOf(dialog)->context->help_file.c_str(), HELP_CONTEXT, 9);
      }
      return 1;
    }
  }
  return 0;
}

DlgResult DetailReportDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam,
                              DlgLParam lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtr(dialog, DWL_USER, lparam);
      const ReportServer* server = reinterpret_cast<const DetailParam*>(lparam)->server;
      DlgCenterOverParent(dialog);
      SetDlgItemText(dialog, kRptList, server->description.c_str());
      SetTabStops(dialog, kRptDetails, {144});
      for (const ReportSource& source : server->sources) {
        AddLine(dialog, kRptDetails, source.name + (source.installed ? "\tUpdated" : "\tAdded"));
      }
      for (const std::string& name : server->removed)
        AddLine(dialog, kRptDetails, name + "\tRemoved");
      return 1;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK:
          EndDialog(dialog, 1);
          break;
        case IDCANCEL:
          EndDialog(dialog, 0);
          break;
        case kCfgHelp:
          WinHelp(
              dialog,
              reinterpret_cast<const DetailParam*>(GetWindowLongPtr(dialog, DWL_USER))->help_file,
              HELP_CONTEXT, 9);
          break;
      }
      return 1;
  }
  return 0;
}

DlgResult RunReportDialog(DlgHwnd parent, UtilityContext* context) {
  ReportState state;
  state.context = context;
  return DialogBoxParam(ResDllHandle(), "DSREPORT", parent, ReportDlgProc,
                        reinterpret_cast<DlgLParam>(&state));
}
