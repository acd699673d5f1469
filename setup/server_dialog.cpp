// Dialog 104: one secondary server's host and port, added to both lists or
// replacing its entries there.
#include <cstring>
#include <string>

#include "common/messages.h"
#include "common/str_util.h"
#include "setup/host_lookup.h"
#include "setup/number_checks.h"
#include "setup/server_list.h"
#include "setup/setup_codes.h"
#include "setup/setup_dialogs.h"

namespace {

constexpr int kFieldSize = 513;
constexpr int kServerFieldLimit = 64;

ServerDialogParams* ParamsOf(DlgHwnd dialog) {
  return reinterpret_cast<ServerDialogParams*>(GetWindowLongPtr(dialog, DWL_USER));
}

bool FieldEmpty(DlgHwnd dialog, int id) {
  char text[kFieldSize];
  return GetDlgItemText(dialog, id, text, sizeof text) == 0;
}

void EnableServerOk(DlgHwnd dialog) {
  EnableWindow(GetDlgItem(dialog, IDOK),
               !FieldEmpty(dialog, kIdcServerHost) && !FieldEmpty(dialog, kIdcServerPort));
}

void InitServerDialog(DlgHwnd dialog, ServerDialogParams* params) {
  char caption[kFieldSize];
  MsgGetText(params->add ? kCfgAddServer : kCfgModifyServer, caption, sizeof caption);
  SetWindowText(dialog, caption);
  if (!params->add) {
    char entry[kAttrValueSize] = "";
    char host[kAttrValueSize] = "";
    char port[kAttrValueSize] = "";
    GetNthListEntry(params->context->attributes[kAttrServerName].value, entry, sizeof entry,
                    params->index);
    SplitServerEntry(entry, host, sizeof host, port, sizeof port);
    SetDlgItemText(dialog, kIdcServerHost, host);
    SetDlgItemText(dialog, kIdcServerPort, port);
  }
  SendDlgItemMessage(dialog, kIdcServerHost, EM_LIMITTEXT, kServerFieldLimit, 0);
  SendDlgItemMessage(dialog, kIdcServerPort, EM_LIMITTEXT, kServerFieldLimit, 0);
  EnableServerOk(dialog);
  CenterDialog(dialog);
}

// Both lists change together or not at all.
bool StoreEntry(ServerDialogParams* params, const char* entry, const char* item) {
  AttributeRecord* records = params->context->attributes;
  char servers[kAttrValueSize];
  char resolved[kAttrValueSize];
  std::memcpy(servers, records[kAttrServerName].value, kAttrValueSize);
  std::memcpy(resolved, records[kAttrResolved].value, kAttrValueSize);
  bool stored = params->add ? AppendListEntry(servers, entry) && AppendListEntry(resolved, item)
                            : ReplaceNthListEntry(servers, entry, params->index) &&
                                  ReplaceNthListEntry(resolved, item, params->index);
  if (!stored) return false;
  std::memcpy(records[kAttrServerName].value, servers, kAttrValueSize);
  std::memcpy(records[kAttrResolved].value, resolved, kAttrValueSize);
  return true;
}

uint32_t SaveServerDialog(DlgHwnd dialog, ServerDialogParams* params) {
  char host[kFieldSize];
  char port[kFieldSize];
  GetDlgItemText(dialog, kIdcServerHost, host, sizeof host);
  GetDlgItemText(dialog, kIdcServerPort, port, sizeof port);
  std::string host_token(FirstToken(host));
  if (host_token.empty()) return kCfgEmpty;
  char port_token[kFieldSize];
  if (!ValidatePort(port, port_token, sizeof port_token)) return kCfgInvalidPort;
  char item[kAttrValueSize];
  DlgCursor previous = BeginWaitCursor();
  bool found = ResolveHostToText(host_token.c_str(), item, sizeof item) != 0;
  EndWaitCursor(previous);
  const AttributeRecord* records = params->context->attributes;
  const char* servers = records[kAttrServerName].value;
  const char* resolved = records[kAttrResolved].value;
  // Another server on the same machine is a server of its own; only the
  // same address with the same port is a duplicate.
  uint32_t at = 0;
  for (uint32_t from = 0; FindServer(servers, resolved, item, port_token, from, &at);
       from = at + 1) {
    if (params->add || at != params->index) return kCfgMatchSecondary;
  }
  char own[kAttrValueSize];
  // A host that was taken before counts as resolved.
  if (!params->add && GetNthListEntry(resolved, own, sizeof own, params->index) &&
      StrCaseCompare(own, item) == 0) {
    found = true;
  }
  if (!found &&
      !AskContinueUnknownServer(dialog, params->context, kIdcServerHost, host_token.c_str())) {
    return kCfgCancelled;
  }
  char entry[kAttrValueSize];
  if (!BuildServerEntry(host, port, entry, sizeof entry)) return kCfgInvalidListOp;
  return StoreEntry(params, entry, item) ? kCfgDone : kCfgInvalidListOp;
}

int FocusFor(uint32_t code) {
  switch (code) {
    case kCfgEmpty:
    case kCfgMatchSecondary:
      return kIdcServerHost;
    case kCfgInvalidPort:
      return kIdcServerPort;
  }
  return 0;
}

void ServerDlgCommand(DlgHwnd dialog, int id, uint16_t notification) {
  ServerDialogParams* params = ParamsOf(dialog);
  switch (id) {
    case kIdcServerHost:
    case kIdcServerPort:
      if (notification == EN_CHANGE) EnableServerOk(dialog);
      return;
    case IDOK: {
      uint32_t code = SaveServerDialog(dialog, params);
      if (code == kCfgDone) {
        EndDialog(dialog, kCfgDone);
      } else if (code != kCfgCancelled) {
        ShowConfigMessage(params->context->instance, dialog, code, nullptr, FocusFor(code), 0);
      }
      return;
    }
    case IDCANCEL:
      EndDialog(dialog, kCfgCancelled);
      return;
    case kIdcServerHelp:
      WinHelp(dialog, params->context->help_file, HELP_CONTEXT, 5);
      return;
  }
}

}  // namespace

DlgResult ServerDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtr(dialog, DWL_USER, lparam);
      InitServerDialog(dialog, ParamsOf(dialog));
      return 1;
    case WM_COMMAND:
      ServerDlgCommand(dialog, LOWORD(wparam), HIWORD(wparam));
      return 1;
  }
  return 0;
}

uint32_t RunServerDialog(DlgHwnd dialog, ServerDialogParams* params) {
  DlgResult result = DialogBoxIndirectParam(DlgFindInTable(&kSetupTemplates, 104), dialog,
                                            ServerDlgProc, reinterpret_cast<DlgLParam>(params));
  return result == -1 ? kCfgNoDialog : static_cast<uint32_t>(result);
}
