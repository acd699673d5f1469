// Dialog 103: the secondary servers, one list line each (host, a tab, the
// port), added, modified and removed through dialog 104; Cancel puts both
// lists back as they were when it opened.
#include <cstring>
#include <string>

#include "common/server_address_text.h"
#include "setup/number_checks.h"
#include "setup/primary_server.h"
#include "setup/server_list.h"
#include "setup/setup_codes.h"
#include "setup/setup_dialogs.h"

namespace {

constexpr int kFieldSize = 513;
constexpr int32_t kHostColumn = 130;

SetupContext* ContextOf(DlgHwnd dialog) {
  return reinterpret_cast<SetupContext*>(GetWindowLongPtr(dialog, DWL_USER));
}

char* Servers(SetupContext* context) {
  return context->attributes[kAttrServerName].value;
}

char* Resolved(SetupContext* context) {
  return context->attributes[kAttrResolved].value;
}

// The entry with the separator of host and port made a tab.
std::string FormatListLine(const char* entry) {
  ServerAddressText split;
  if (!SplitServerAddress(entry, &split)) return entry;
  return split.host + "\t" + split.port;
}

void EnableServerListButtons(DlgHwnd dialog) {
  bool selected = SendDlgItemMessage(dialog, kIdcServerLines, LB_GETCURSEL, 0, 0) != LB_ERR;
  EnableWindow(GetDlgItem(dialog, kIdcModifyServer), selected);
  EnableWindow(GetDlgItem(dialog, kIdcRemoveServer), selected);
}

DlgResult AddLine(DlgHwnd dialog, const char* entry) {
  std::string line = FormatListLine(entry);
  return SendDlgItemMessage(dialog, kIdcServerLines, LB_ADDSTRING, 0,
                            reinterpret_cast<DlgLParam>(line.c_str()));
}

// Lines for the entries after the primary one; 0 or kCfgOutOfMemory.
uint32_t FillServerListBox(DlgHwnd dialog, SetupContext* context) {
  const char* secondary = NextListEntry(Servers(context));
  for (const char* at = secondary; at != nullptr; at = NextListEntry(at)) {
    char entry[kAttrValueSize];
    if (!CopyListEntry(at, entry, sizeof entry)) continue;
    DlgResult added = AddLine(dialog, entry);
    if (added == LB_ERRSPACE || added == LB_ERR) return kCfgOutOfMemory;
  }
  SendDlgItemMessage(dialog, kIdcServerLines, LB_SETCURSEL, 0, 0);
  return kCfgDone;
}

uint32_t InitSecondaryServersDialog(DlgHwnd dialog, SetupContext* context) {
  int32_t stops[] = {kHostColumn};
  SendDlgItemMessage(dialog, kIdcServerLines, LB_SETTABSTOPS, 1,
                     reinterpret_cast<DlgLParam>(stops));
  AttributeRecord* records = context->attributes;
  std::memcpy(records[kAttrSavedServers].value, Servers(context), kAttrValueSize);
  std::memcpy(records[kAttrSavedResolved].value, Resolved(context), kAttrValueSize);
  uint32_t code = FillServerListBox(dialog, context);
  if (code != kCfgDone) {
    ShowConfigMessage(context->instance, dialog, code, nullptr, 0, 0);
    return code;
  }
  EnableServerListButtons(dialog);
  CenterDialog(dialog);
  return kCfgDone;
}

int SelectedLine(DlgHwnd dialog) {
  return static_cast<int>(SendDlgItemMessage(dialog, kIdcServerLines, LB_GETCURSEL, 0, 0));
}

// The secondary entry of ServerName that the selected line shows, found by
// host and port: one machine may serve on several ports.
bool SelectedEntry(DlgHwnd dialog, SetupContext* context, int* line, uint32_t* index) {
  *line = SelectedLine(dialog);
  if (*line == LB_ERR) return false;
  char text[kFieldSize];
  if (DlgGetListText(dialog, kIdcServerLines, *line, text, sizeof text) == LB_ERR) return false;
  const char* at = nullptr;
  for (uint32_t n = 1; FindNthListEntry(Servers(context), &at, n); ++n) {
    char entry[kAttrValueSize];
    if (CopyListEntry(at, entry, sizeof entry) && FormatListLine(entry) == text) {
      *index = n;
      return true;
    }
  }
  return false;
}

uint32_t AddSecondaryServer(DlgHwnd dialog, SetupContext* context) {
  ServerDialogParams params{context, 0, 1};
  uint32_t code = RunServerDialog(dialog, &params);
  if (code == kCfgDone) {
    auto lines =
        static_cast<uint32_t>(SendDlgItemMessage(dialog, kIdcServerLines, LB_GETCOUNT, 0, 0));
    char entry[kAttrValueSize];
    if (!GetNthListEntry(Servers(context), entry, sizeof entry, lines + 1)) {
      code = kCfgInvalidListOp;
    } else {
      DlgResult added = AddLine(dialog, entry);
      if (added == LB_ERR || added == LB_ERRSPACE) {
        code = kCfgOutOfMemory;
      } else {
        SendDlgItemMessage(dialog, kIdcServerLines, LB_SETCURSEL, static_cast<DlgWParam>(added), 0);
      }
    }
  }
  EnableServerListButtons(dialog);
  CenterDialog(dialog);
  return code;
}

uint32_t ModifySecondaryServer(DlgHwnd dialog, SetupContext* context) {
  int line = 0;
  ServerDialogParams params{context, 0, 0};
  if (!SelectedEntry(dialog, context, &line, &params.index)) return kCfgInvalidListOp;
  uint32_t code = RunServerDialog(dialog, &params);
  if (code != kCfgDone) {
    EnableServerListButtons(dialog);
    return code;
  }
  char entry[kAttrValueSize];
  if (!GetNthListEntry(Servers(context), entry, sizeof entry, params.index)) {
    return kCfgInvalidListOp;
  }
  std::string text = FormatListLine(entry);
  SendDlgItemMessage(dialog, kIdcServerLines, LB_DELETESTRING, line, 0);
  DlgResult inserted = SendDlgItemMessage(dialog, kIdcServerLines, LB_INSERTSTRING, line,
                                          reinterpret_cast<DlgLParam>(text.c_str()));
  if (inserted == LB_ERR || inserted == LB_ERRSPACE) return kCfgOutOfMemory;
  SendDlgItemMessage(dialog, kIdcServerLines, LB_SETCURSEL, line, 0);
  EnableServerListButtons(dialog);
  return kCfgDone;
}

uint32_t RemoveSecondaryServer(DlgHwnd dialog, SetupContext* context) {
  if (SelectedLine(dialog) == LB_ERR) return kCfgInvalidListOp;
  if (!ConfirmRemoveServer(dialog, context)) return kCfgDone;
  int line = 0;
  uint32_t index = 0;
  if (!SelectedEntry(dialog, context, &line, &index)) return kCfgInvalidListOp;
  if (SendDlgItemMessage(dialog, kIdcServerLines, LB_DELETESTRING, line, 0) == LB_ERR) {
    return kCfgInvalidListOp;
  }
  char servers[kAttrValueSize];
  char resolved[kAttrValueSize];
  std::memcpy(servers, Servers(context), kAttrValueSize);
  std::memcpy(resolved, Resolved(context), kAttrValueSize);
  if (!DeleteNthListEntry(servers, index) || !DeleteNthListEntry(resolved, index)) {
    return kCfgInvalidListOp;
  }
  std::memcpy(Servers(context), servers, kAttrValueSize);
  std::memcpy(Resolved(context), resolved, kAttrValueSize);
  SendDlgItemMessage(dialog, kIdcServerLines, LB_SETCURSEL, 0, 0);
  EnableServerListButtons(dialog);
  return kCfgDone;
}

void SecondaryServersDlgCommand(DlgHwnd dialog, int id, uint16_t notification) {
  SetupContext* context = ContextOf(dialog);
  uint32_t code = kCfgDone;
  switch (id) {
    case kIdcServerLines:
      if (notification == LBN_DBLCLK) {
        PostMessage(dialog, WM_COMMAND, MAKEWPARAM(kIdcModifyServer, BN_CLICKED), 0);
      } else {
        EnableServerListButtons(dialog);
      }
      return;
    case kIdcAddServer:
      code = AddSecondaryServer(dialog, context);
      break;
    case kIdcModifyServer:
      code = ModifySecondaryServer(dialog, context);
      break;
    case kIdcRemoveServer:
      code = RemoveSecondaryServer(dialog, context);
      break;
    case IDOK:
      EndDialog(dialog, kCfgDone);
      return;
    case IDCANCEL: {
      AttributeRecord* records = context->attributes;
      std::memcpy(Servers(context), records[kAttrSavedServers].value, kAttrValueSize);
      std::memcpy(Resolved(context), records[kAttrSavedResolved].value, kAttrValueSize);
      EndDialog(dialog, kCfgCancelled);
      return;
    }
    case kIdcServersHelp:
      WinHelp(dialog, context->help_file, HELP_CONTEXT, 5);
      return;
    default:
      return;
  }
  if (code != kCfgDone && code != kCfgCancelled && code < kCfgOdbcWrite) {
    ShowConfigMessage(context->instance, dialog, code, nullptr, 0, 0);
  }
}

}  // namespace

DlgResult SecondaryServersDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam,
                                  DlgLParam lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtr(dialog, DWL_USER, lparam);
      uint32_t code = InitSecondaryServersDialog(dialog, ContextOf(dialog));
      if (code != kCfgDone) EndDialog(dialog, code);
      return 1;
    }
    case WM_COMMAND:
      SecondaryServersDlgCommand(dialog, LOWORD(wparam), HIWORD(wparam));
      return 1;
  }
  return 0;
}

uint32_t RunSecondaryServersDialog(DlgHwnd dialog, SetupContext* context) {
  char host[kFieldSize] = "";
  char port[kFieldSize] = "";
  GetDlgItemText(dialog, kIdcHost, host, sizeof host);
  GetDlgItemText(dialog, kIdcPort, port, sizeof port);
  std::string host_token(FirstToken(host));
  std::string port_token(FirstToken(port));
  PrimaryChoice choice;
  const char* item = nullptr;
  if (!host_token.empty()) {
    uint32_t code =
        ChoosePrimaryItem(dialog, context, host_token.c_str(), port_token.c_str(), &choice);
    if (code != kCfgDone) return code;
    AdoptPrimaryChoice(context, choice);
    item = choice.item;
  }
  if (!ReplacePrimaryServer(context, host_token.c_str(), port_token.c_str(), item)) {
    return kCfgInvalidListOp;
  }
  DlgResult result =
      DialogBoxIndirectParam(DlgFindInTable(&kSetupTemplates, 103), dialog, SecondaryServersDlgProc,
                             reinterpret_cast<DlgLParam>(context));
  return result == -1 ? kCfgNoDialog : static_cast<uint32_t>(result);
}
