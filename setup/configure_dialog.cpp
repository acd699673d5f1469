// Dialog 101: the data source's names, its description and its primary
// server; OK checks them and writes the data source.
#include <odbcinst.h>

#include <string>

#include "setup/dsn_ini.h"
#include "setup/number_checks.h"
#include "setup/primary_server.h"
#include "setup/server_list.h"
#include "setup/setup_codes.h"
#include "setup/setup_dialogs.h"
#include "setup/setup_module.h"
#include "setup/write_data_source.h"

namespace {

// Room for the texts read from the fields and the ini file.
constexpr int kFieldSize = 513;
constexpr int kServerFieldLimit = 64;

SetupContext* ContextOf(DlgHwnd dialog) {
  return reinterpret_cast<SetupContext*>(GetWindowLongPtr(dialog, DWL_USER));
}

void LimitText(DlgHwnd dialog, int id, uint32_t limit) {
  SendDlgItemMessage(dialog, id, EM_LIMITTEXT, limit, 0);
}

// A value the attribute list did not give comes from the data source.
void LoadAttributeValue(SetupContext* context, uint32_t index) {
  AttributeRecord& record = context->attributes[index];
  const char* dsn = context->attributes[kAttrDsn].value;
  if (record.given || *dsn == '\0') return;
  SQLGetPrivateProfileString(dsn, record.keyword, "", record.value, kFieldSize, SetupOdbcIniName());
}

void ShowPrimaryServer(DlgHwnd dialog, SetupContext* context) {
  char primary[kAttrValueSize];
  char host[kAttrValueSize] = "";
  char port[kAttrValueSize] = "";
  GetPrimaryServerEntry(context->attributes[kAttrServerName].value, primary, sizeof primary);
  SplitServerEntry(primary, host, sizeof host, port, sizeof port);
  SetDlgItemText(dialog, kIdcHost, host);
  SetDlgItemText(dialog, kIdcPort, port);
}

bool FieldEmpty(DlgHwnd dialog, int id) {
  char text[kFieldSize];
  return GetDlgItemText(dialog, id, text, sizeof text) == 0;
}

void EnableConfigureOk(DlgHwnd dialog) {
  bool filled = !FieldEmpty(dialog, kIdcDsn) && !FieldEmpty(dialog, kIdcServerDsn) &&
                !FieldEmpty(dialog, kIdcHost) && !FieldEmpty(dialog, kIdcPort);
  EnableWindow(GetDlgItem(dialog, IDOK), filled);
}

uint32_t InitConfigureDialog(DlgHwnd dialog, SetupContext* context) {
  DlgCursor previous = BeginWaitCursor();
  AttributeRecord* records = context->attributes;
  if (context->is_default) SetAttributeValue(&records[kAttrDsn], SetupDefaultName());
  SetDlgItemText(dialog, kIdcDsn, records[kAttrDsn].value);
  LimitText(dialog, kIdcDsn, records[kAttrDsn].max_length);
  LoadAttributeValue(context, kAttrDescription);
  SetDlgItemText(dialog, kIdcDescription, records[kAttrDescription].value);
  LimitText(dialog, kIdcDescription, records[kAttrDescription].max_length);
  LoadAttributeValue(context, kAttrServerName);
  uint32_t code = kCfgDone;
  if (!NormalizeServerList(records[kAttrServerName].value, records[kAttrResolved].value)) {
    code = kCfgTooManyServers;
  }
  ShowPrimaryServer(dialog, context);
  LimitText(dialog, kIdcHost, kServerFieldLimit);
  LimitText(dialog, kIdcPort, kServerFieldLimit);
  LoadAttributeValue(context, kAttrServerDsn);
  SetDlgItemText(dialog, kIdcServerDsn, records[kAttrServerDsn].value);
  LimitText(dialog, kIdcServerDsn, records[kAttrServerDsn].max_length);
  LoadAttributeValue(context, kAttrUid);
  LoadAttributeValue(context, kAttrArrayFetchOn);
  LoadAttributeValue(context, kAttrArrayBufferSize);
  uint32_t number = 0;
  if (!CheckNumberRange(records[kAttrArrayFetchOn].value, 0, 1, &number)) {
    SetAttributeValue(&records[kAttrArrayFetchOn], "1");
  }
  if (!ValidateBufferSize(records[kAttrArrayBufferSize].value, &number)) {
    SetAttributeValue(&records[kAttrArrayBufferSize], "8");
  }
  CenterDialog(dialog);
  EnableConfigureOk(dialog);
  EndWaitCursor(previous);
  return code;
}

void ReadField(DlgHwnd dialog, int id, AttributeRecord* record) {
  char text[kFieldSize];
  GetDlgItemText(dialog, id, text, sizeof text);
  SetAttributeValue(record, text);
}

uint32_t SaveConfigureDialog(DlgHwnd dialog, SetupContext* context) {
  AttributeRecord* records = context->attributes;
  ReadField(dialog, kIdcDescription, &records[kAttrDescription]);
  char host[kFieldSize] = "";
  char port[kFieldSize] = "";
  if (!context->is_default) {
    ReadField(dialog, kIdcDsn, &records[kAttrDsn]);
    ReadField(dialog, kIdcServerDsn, &records[kAttrServerDsn]);
    GetDlgItemText(dialog, kIdcHost, host, sizeof host);
    GetDlgItemText(dialog, kIdcPort, port, sizeof port);
  } else {
    // The fields of "Default" are not read: its primary server is the one
    // the data source has.
    char primary[kAttrValueSize];
    GetPrimaryServerEntry(records[kAttrServerName].value, primary, sizeof primary);
    SplitServerEntry(primary, host, sizeof host, port, sizeof port);
  }
  // A name cut to its field would name another data source.
  if (records[kAttrDsn].truncated || !UsableDsnName(records[kAttrDsn].value)) return kCfgBadDsn;
  if (records[kAttrServerDsn].truncated || !UsableDsnName(records[kAttrServerDsn].value)) {
    return kCfgBadServerDsn;
  }
  std::string host_token(FirstToken(host));
  if (host_token.empty()) return kCfgEmpty;
  char port_token[kFieldSize];
  if (!ValidatePort(port, port_token, sizeof port_token)) return kCfgInvalidPort;
  PrimaryChoice choice;
  uint32_t code = ChoosePrimaryItem(dialog, context, host_token.c_str(), port_token, &choice);
  if (code != kCfgDone) return code;
  if (!choice.found && !AskContinueUnknownServer(dialog, context, kIdcHost, host_token.c_str())) {
    return kCfgCancelled;
  }
  AdoptPrimaryChoice(context, choice);
  if (!ReplacePrimaryServer(context, host_token.c_str(), port_token, choice.item)) {
    return kCfgInvalidListOp;
  }
  return WriteDataSource(context);
}

// Codes below kCfgOdbcWrite are shown; so is a failed write, which leaves
// the dialog open for another try.
void ShowConfigureCode(DlgHwnd dialog, SetupContext* context, uint32_t code) {
  if (code == kCfgDone || code == kCfgCancelled) return;
  const AttributeRecord* records = context->attributes;
  switch (code) {
    case kCfgBadDsn:
      ShowConfigMessage(context->instance, dialog, code, records[kAttrDsn].value, kIdcDsn, 0);
      return;
    case kCfgBadServerDsn:
      ShowConfigMessage(context->instance, dialog, code, records[kAttrServerDsn].value,
                        kIdcServerDsn, 0);
      return;
    case kCfgInvalidPort:
      ShowConfigMessage(context->instance, dialog, code, nullptr, kIdcPort, 0);
      return;
    case kCfgMatchPrimary:
      ShowConfigMessage(context->instance, dialog, kCfgFocusOnly, nullptr, kIdcHost, 0);
      return;
    case kCfgOdbcWrite:
      ShowConfigMessage(context->instance, dialog, code, nullptr, 0, 0);
      return;
    case kCfgOtherDriver:
      ShowConfigMessage(context->instance, dialog, code, records[kAttrDsn].value, kIdcDsn, 0);
      return;
    default:
      if (code < kCfgOdbcWrite) ShowConfigMessage(context->instance, dialog, code, nullptr, 0, 0);
      return;
  }
}

void ConfigureDlgCommand(DlgHwnd dialog, int id, uint16_t notification) {
  SetupContext* context = ContextOf(dialog);
  uint32_t code = kCfgDone;
  switch (id) {
    case kIdcDsn:
    case kIdcServerDsn:
    case kIdcHost:
    case kIdcPort:
      if (notification == EN_CHANGE) EnableConfigureOk(dialog);
      return;
    case IDOK:
      code = SaveConfigureDialog(dialog, context);
      if (code == kCfgDone) {
        EndDialog(dialog, kCfgDone);
        return;
      }
      break;
    case IDCANCEL:
      EndDialog(dialog, kCfgCancelled);
      return;
    case kIdcConfigureHelp:
      WinHelp(dialog, context->help_file, HELP_CONTEXT, 2);
      return;
    case kIdcOptions:
      code = RunOptionsDialog(dialog, context);
      break;
    case kIdcSecondaryServers:
      code = RunSecondaryServersDialog(dialog, context);
      break;
    default:
      return;
  }
  ShowConfigureCode(dialog, context, code);
}

}  // namespace

DlgResult ConfigureDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtr(dialog, DWL_USER, lparam);
      uint32_t code = InitConfigureDialog(dialog, ContextOf(dialog));
      if (code != kCfgDone) EndDialog(dialog, code);
      return 1;
    }
    case WM_COMMAND:
      ConfigureDlgCommand(dialog, LOWORD(wparam), HIWORD(wparam));
      return 1;
  }
  return 0;
}

uint32_t RunConfigureDialog(void* parent, SetupContext* context) {
  DlgResult result =
      DialogBoxIndirectParam(DlgFindInTable(&kSetupTemplates, 101), DlgForeignWindow(parent),
                             ConfigureDlgProc, reinterpret_cast<DlgLParam>(context));
  return result == -1 ? kCfgNoDialog : static_cast<uint32_t>(result);
}
