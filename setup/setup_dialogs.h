// The setup library's dialogs: the configuration dialog (101), from which
// the options (102) and secondary-servers (103) dialogs open, and from the
// latter the server dialog (104). All work on the SetupContext of the
// ConfigDSN call; only the configuration dialog's OK writes.
#pragma once

#include <cstdint>

#include "platform/dialog.h"
#include "setup/setup_context.h"

// Control ids of the templates.
enum : int {
  kIdcConfigureHelp = 1100,
  kIdcDsn = 1101,
  kIdcDescription = 1102,
  kIdcOptions = 1103,
  kIdcServerDsn = 1104,
  kIdcHost = 1105,
  kIdcPort = 1106,
  kIdcSecondaryServers = 1107,
  kIdcOptionsHelp = 1200,
  kIdcArrayFetch = 1201,
  kIdcBufferSize = 1202,
  kIdcServersHelp = 1300,
  kIdcAddServer = 1301,
  kIdcModifyServer = 1302,
  kIdcRemoveServer = 1303,
  kIdcServerLines = 1304,
  kIdcServerHelp = 1400,
  kIdcServerHost = 1401,
  kIdcServerPort = 1402,
};

// The four templates, carried by the library itself.
extern const DlgTemplateTable kSetupTemplates;

// What the server dialog works on.
struct ServerDialogParams {
  SetupContext* context;
  uint32_t index;  // the entry of ServerName being modified
  uint32_t add;    // 1: a new secondary server
};

// The configuration dialog over the application's window (a null window
// allows no dialog); its end value: 0 after a successful OK, 1 after Cancel,
// the code that ended its start, or kCfgNoDialog when no dialog can be
// shown.
uint32_t RunConfigureDialog(void* parent, SetupContext* context);
uint32_t RunOptionsDialog(DlgHwnd dialog, SetupContext* context);
// Takes the primary server from the configuration dialog's fields first.
uint32_t RunSecondaryServersDialog(DlgHwnd dialog, SetupContext* context);
uint32_t RunServerDialog(DlgHwnd dialog, ServerDialogParams* params);

// Exported by the library, as installers of the system expect.
extern "C" __attribute__((visibility("default"))) DlgResult ConfigureDlgProc(DlgHwnd dialog,
                                                                             uint32_t message,
                                                                             DlgWParam wparam,
                                                                             DlgLParam lparam);
DlgResult OptionsDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam);
DlgResult SecondaryServersDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam,
                                  DlgLParam lparam);
DlgResult ServerDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam);

// The message box of the library: the code's text (see config_message.h)
// over `window` (null: no owner); with a control, that control then has
// the focus and its text selected. The answer (IDYES for Yes), 0 when no
// box was shown (kCfgFocusOnly shows none).
int ShowConfigMessage(PlatModule instance, DlgHwnd window, uint32_t code, const char* argument,
                      int control, uint32_t range);
// The questions, true for Yes.
bool AskContinueUnknownServer(DlgHwnd dialog, SetupContext* context, int control, const char* host);
bool AskRemoveDuplicatePrimary(DlgHwnd dialog, SetupContext* context);
bool ConfirmRemoveServer(DlgHwnd dialog, SetupContext* context);

// The wait cursor while a name is looked up; EndWaitCursor puts back the
// cursor BeginWaitCursor returned.
DlgCursor BeginWaitCursor();
void EndWaitCursor(DlgCursor previous);
// Centred over the parent (the desktop when it has none), kept inside the
// desktop.
void CenterDialog(DlgHwnd dialog);
