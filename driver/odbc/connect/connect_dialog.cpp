#include "driver/odbc/connect/connect_dialog.h"

#include <odbcinst.h>

#include <cstring>
#include <string>

#include "common/msg_format.h"
#include "driver/odbc/connect/conn_string.h"
#include "driver/odbc/connect/drv_connect.h"
#include "driver/odbc/connect/dsn_keywords.h"
#include "driver/odbc/core/conn_keyword.h"
#include "driver/odbc/core/drv_conn.h"
#include "driver/odbc/core/message_ids.h"
#include "driver/odbc/diag/drv_messages.h"
#include "platform/dialog_host.h"

namespace {

constexpr int kServerList = 101;
constexpr int kUserId = 103;
constexpr int kPassword = 104;
constexpr int kOptions = 105;
constexpr int kOptionsFirst = 106;
constexpr int kOptionsLast = 108;
constexpr int kShowGroup = 109;
constexpr int kGroup = 110;
constexpr int kValueLimit = kConnKeywordValueSize - 1;
constexpr size_t kCaptionMax = 199;

ConnectDialogContext* Context(DlgHwnd dialog) {
  return reinterpret_cast<ConnectDialogContext*>(GetWindowLongPtr(dialog, DWL_USER));
}

ConnKeyword& Keyword(DrvConn* connection, uint32_t index) {
  return connection->keywords[index];
}

// An unset keyword's value from the data source's section, when there is
// one; the set flag stays as it is.
void ReadFromDataSource(DrvConn* connection, uint32_t index) {
  ConnKeyword& keyword = Keyword(connection, index);
  const ConnKeyword& dsn = Keyword(connection, connection->keyword_dsn);
  if (keyword.set || !NamesDataSource(dsn)) return;
  SQLGetPrivateProfileString(dsn.value, keyword.name, "", keyword.value, kConnKeywordValueSize,
                             "ODBC.INI");
}

std::string Message(uint32_t number) {
  char text[512];
  DrvMessageText(number, text, sizeof text);
  return text;
}

void InitDialog(DlgHwnd dialog, ConnectDialogContext* context) {
  DrvConn* connection = context->connection;
  ConnectDlgCenter(dialog);
  context->pending_message = kMsgErrSuccess;

  ReadFromDataSource(connection, kKeywordServerDsn);
  std::string caption = Message(kMsgIdsMsgTitle) + Keyword(connection, kKeywordServerDsn).value;
  if (caption.size() > kCaptionMax) caption.resize(kCaptionMax);
  SetWindowText(dialog, caption.c_str());

  ReadFromDataSource(connection, kKeywordServerName);
  ConnectDlgFillList(dialog, kServerList, Keyword(connection, kKeywordServerName).value);

  SetFocus(GetDlgItem(dialog, kUserId));
  ReadFromDataSource(connection, connection->keyword_uid);
  SetDlgItemText(dialog, kUserId, Keyword(connection, connection->keyword_uid).value);
  SendDlgItemMessage(dialog, kUserId, EM_SETSEL, 0, -1);
  SendDlgItemMessage(dialog, kUserId, EM_LIMITTEXT, kValueLimit, 0);
  SetDlgItemText(dialog, kPassword, Keyword(connection, connection->keyword_pwd).value);
  SendDlgItemMessage(dialog, kPassword, EM_LIMITTEXT, kValueLimit, 0);
}

// A value with ";" or "=" would break the login string; the user is told
// and the dialog stays open.
bool Refuse(DlgHwnd dialog, ConnectDialogContext* context, const char* keyword, const char* value,
            int control) {
  if (!ValueNeedsBraces(keyword, value)) return false;
  context->pending_message = kMsgInvalidString;
  PostMessage(dialog, kConnectDlgShowError, static_cast<DlgWParam>(control), 0);
  return true;
}

void Connect(DlgHwnd dialog, ConnectDialogContext* context) {
  DrvConn* connection = context->connection;
  char user[kConnKeywordValueSize];
  char password[kConnKeywordValueSize];
  GetDlgItemText(dialog, kUserId, user, sizeof user);
  GetDlgItemText(dialog, kPassword, password, sizeof password);
  if (Refuse(dialog, context, "UID", user, kUserId) ||
      Refuse(dialog, context, "PWD", password, kPassword))
    return;
  ConnKeyword& uid = Keyword(connection, connection->keyword_uid);
  std::memcpy(uid.value, user, sizeof user);
  uid.set = 1;
  ConnKeyword& pwd = Keyword(connection, connection->keyword_pwd);
  std::memcpy(pwd.value, password, sizeof password);
  pwd.set = 1;
  std::memset(password, 0, sizeof password);
  DlgCursor before = SetCursor(DlgCursor::kWait);
  int32_t connected = DrvConnect(connection);
  SetCursor(before);
  if (connected < 0) {
    EndDialog(dialog, 3);  // the login's diagnostics stay on the connection
    return;
  }
  if (connected == 1) context->warning = 1;
  EndDialog(dialog, 1);
}

}  // namespace

DlgResult ConnectDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtr(dialog, DWL_USER, lparam);
      auto* context = reinterpret_cast<ConnectDialogContext*>(lparam);
      if (context == nullptr) {
        EndDialog(dialog, -1);
        return 0;
      }
      InitDialog(dialog, context);
      return 0;  // the focus is set
    }
    case WM_COMMAND: {
      ConnectDialogContext* context = Context(dialog);
      if (context == nullptr) return 0;
      switch (LOWORD(wparam)) {
        case IDOK:
          Connect(dialog, context);
          return 1;
        case IDCANCEL:
          EndDialog(dialog, 2);
          return 1;
        case kOptions:
          ConnectDlgExpand(dialog, true);
          EnableWindow(GetDlgItem(dialog, kOptions), false);
          SetFocus(GetDlgItem(dialog, kShowGroup));
          return 1;
        case kShowGroup:
          ConnectDlgShowGroup(dialog, IsDlgButtonChecked(dialog, kShowGroup) == BST_CHECKED);
          return 1;
        default:
          return 0;
      }
    }
    case kConnectDlgShowError: {
      ConnectDialogContext* context = Context(dialog);
      if (context == nullptr) return 0;
      int answer =
          ConnectDlgShowError(dialog, context->pending_message, static_cast<int>(wparam), lparam);
      SetWindowLongPtr(dialog, DWL_MSGRESULT, answer);
      context->pending_message = kMsgErrSuccess;
      return 1;
    }
    default:
      return 0;
  }
}

int ConnectDlgFillList(DlgHwnd dialog, int control, const char* list) {
  SendDlgItemMessage(dialog, control, CB_RESETCONTENT, 0, 0);
  std::string rest = list != nullptr ? list : "";
  size_t start = 0;
  while (start <= rest.size()) {
    size_t comma = rest.find(',', start);
    if (comma == std::string::npos) comma = rest.size();
    std::string piece = rest.substr(start, comma - start);
    if (!piece.empty()) {
      DlgResult added = SendDlgItemMessage(dialog, control, CB_ADDSTRING, 0,
                                           reinterpret_cast<DlgLParam>(piece.c_str()));
      if (added == CB_ERR || added == CB_ERRSPACE) return 0;
    }
    start = comma + 1;
  }
  SendDlgItemMessage(dialog, control, CB_SETCURSEL, 0, 0);
  return 1;
}

void ConnectDlgCenter(DlgHwnd dialog) {
  DlgCenterOverParent(dialog);
}

void ConnectDlgExpand(DlgHwnd dialog, bool show) {
  DlgHwnd first = GetDlgItem(dialog, kOptionsFirst);
  for (DlgHwnd control = first; control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
    EnableWindow(control, show);
    if (GetDlgCtrlID(control) == kOptionsLast) break;
  }
  DlgRect frame, bottom;
  if (!GetWindowRect(dialog, &frame) || !GetWindowRect(first, &bottom)) return;
  MoveWindow(dialog, frame.left, frame.top, frame.right - frame.left,
             bottom.bottom + 10 - frame.top);
}

void ConnectDlgShowGroup(DlgHwnd dialog, bool show) {
  DlgHwnd group = GetDlgItem(dialog, kGroup);
  if (group == nullptr) return;
  const int command = show ? SW_SHOW : SW_HIDE;
  ShowWindow(group, command);
  if (DlgHwnd before = GetWindow(group, GW_HWNDPREV)) ShowWindow(before, command);
  if (DlgHwnd after = GetWindow(group, GW_HWNDNEXT)) ShowWindow(after, command);
}

int ConnectDlgShowError(DlgHwnd dialog, uint32_t number, int control, DlgLParam parameter) {
  char label[256];
  GetLabelledFieldText(dialog, control, label, sizeof label);
  const std::string text = Message(number);
  std::string shown = text;
  const uintptr_t range = static_cast<uintptr_t>(parameter);
  if (number == kMsgInvalidString) {
    shown = MsgFormatChecked(text.c_str(), {MsgArg::Text(label)});
  } else if (number == kMsgInvalidNumber) {
    shown = MsgFormatChecked(text.c_str(), {MsgArg::Text(label), MsgArg::Number(LOWORD(range)),
                                            MsgArg::Number(HIWORD(range))});
  }
  int answer = MessageBox(dialog, shown.c_str(), Message(kMsgIdsMsgTitle).c_str(),
                          MB_OK | MB_ICONEXCLAMATION);
  SetFocus(GetDlgItem(dialog, control));
  SendDlgItemMessage(dialog, control, EM_SETSEL, 0, -1);
  return answer;
}

void GetLabelledFieldText(DlgHwnd dialog, int control, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return;
  std::string label = DlgControlLabel(dialog, control);
  size_t n = label.size() < size - 1 ? label.size() : size - 1;
  std::memcpy(buffer, label.data(), n);
  buffer[n] = '\0';
}
