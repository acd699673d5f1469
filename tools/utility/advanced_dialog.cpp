#include "tools/utility/advanced_dialog.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tools/shared/resolver.h"
#include "tools/shared/tool_messages.h"
#include "tools/utility/config_dialog.h"
#include "tools/utility/utility_boxes.h"
#include "tools/utility/utility_context.h"

namespace {

constexpr int kTextMax = 64;

std::string ItemText(DlgHwnd dialog, int id) {
  char text[kTextMax + 1];
  GetDlgItemText(dialog, id, text, sizeof text);
  return text;
}

void RefreshOk(DlgHwnd dialog) {
  bool both = GetWindowTextLength(GetDlgItem(dialog, kAdvServer)) > 0 &&
              GetWindowTextLength(GetDlgItem(dialog, kAdvPort)) > 0;
  EnableWindow(GetDlgItem(dialog, IDOK), both);
}

void InitDialog(DlgHwnd dialog, DlgLParam param) {
  SetWindowLongPtr(dialog, DWL_USER, param);
  const ServiceSettings& s = *ContextOf(dialog)->settings;
  DlgCenterOverParent(dialog);
  SetDlgItemText(dialog, kAdvServer, s.svc_server);
  SendDlgItemMessage(dialog, kAdvServer, CB_LIMITTEXT, kTextMax, 0);
  char port[16];
  std::snprintf(port, sizeof port, "%u", static_cast<unsigned>(s.svc_srv_port));
  SetDlgItemText(dialog, kAdvPort, port);
  SendDlgItemMessage(dialog, kAdvPort, EM_LIMITTEXT, kTextMax, 0);
  RefreshOk(dialog);
}

void OnOk(DlgHwnd dialog) {
  UtilityContext* context = ContextOf(dialog);
  std::string server = ItemText(dialog, kAdvServer);
  std::vector<uint32_t> addresses;
  if (!ToolHostAddresses(server, &addresses)) {
    ShowCatalogMessage(dialog, kIdsCantResolveName, MB_ICONEXCLAMATION);
    FocusControl(dialog, kAdvServer);
    return;
  }
  uint16_t port = 0;
  if (!ParsePortOrService(ItemText(dialog, kAdvPort), &port)) {
    ShowCatalogMessage(dialog, kIdsInvalidPort, MB_ICONEXCLAMATION);
    FocusControl(dialog, kAdvPort);
    return;
  }
  ServiceSettings& s = *context->settings;
  std::snprintf(s.svc_server, sizeof s.svc_server, "%s", server.c_str());
  s.svc_srv_port = port;
  WinHelp(dialog, context->help_file.c_str(), HELP_QUIT, 0);
  EndDialog(dialog, IDOK);
}

}  // namespace

bool ParsePortOrService(const std::string& text, uint16_t* port) {
  if (text.empty()) return false;
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() && *end == '\0') {
    if (value < 1 || value > 65535) return false;
    *port = static_cast<uint16_t>(value);
    return true;
  }
  uint16_t service = 0;
  if (!ToolServicePort(text, &service) || service == 0) return false;
  *port = service;
  return true;
}

DlgResult AdvancedDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam) {
  switch (message) {
    case WM_INITDIALOG:
      InitDialog(dialog, lparam);
      return 1;
    case kMsgTakeServer: {
      // The port field keeps what the user typed: only the server text is
      // taken over.
      ServiceSettings& s = *ContextOf(dialog)->settings;
      std::snprintf(s.svc_server, sizeof s.svc_server, "%s", ItemText(dialog, kAdvServer).c_str());
      return 1;
    }
    case WM_COMMAND: {
      int id = LOWORD(wparam);
      uint16_t code = HIWORD(wparam);
      if (id == kAdvServer) {
        if (code == EN_KILLFOCUS) {
          PostMessage(dialog, kMsgTakeServer, 0, 0);
          RefreshOk(dialog);
        }
      } else if (id == kAdvPort) {
        if (code == EN_CHANGE) RefreshOk(dialog);
      } else if (id == IDOK) {
        OnOk(dialog);
      } else if (id == IDCANCEL) {
        WinHelp(dialog, ContextOf(dialog)->help_file.c_str(), HELP_QUIT, 0);
        EndDialog(dialog, IDCANCEL);
      } else if (id == kCfgHelp) {
        WinHelp(dialog, ContextOf(dialog)->help_file.c_str(), HELP_CONTEXT, 12);
      }
      return 1;
    }
  }
  return 0;
}
