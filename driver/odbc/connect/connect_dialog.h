// The logon dialog (template 100 of the driver's resource library) and the
// routines of its procedure.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/dialog.h"

struct DrvConn;

// The dialog's parameter, kept in its user word.
struct ConnectDialogContext {
  DrvConn* connection;
  uint32_t warning;          // 1 when the login succeeded with warnings
  uint32_t pending_message;  // the error box to show, 5100 for none
};

// The private message that shows the pending error box: wParam the
// control, lParam the message's second parameter.
constexpr uint32_t kConnectDlgShowError = 0x8000;

// The dialog procedure (exported as ConnectDlg).
DlgResult ConnectDlgProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam);

// Fills a combo box with the non-empty pieces of a comma list and selects
// the first. 1, or 0 when a line could not be added.
int ConnectDlgFillList(DlgHwnd dialog, int control, const char* list);
void ConnectDlgCenter(DlgHwnd dialog);
// Enables (or disables) the controls 106 to 108 and grows the dialog down
// to 10 pixels below control 106.
void ConnectDlgExpand(DlgHwnd dialog, bool show);
// Shows or hides control 110 and its two neighbours.
void ConnectDlgShowGroup(DlgHwnd dialog, bool show);
// The error box of message `number` about `control`; the box's result.
int ConnectDlgShowError(DlgHwnd dialog, uint32_t number, int control, DlgLParam parameter);
// The label of `control` (the text of the control before it, without its
// first "&") into the buffer.
void GetLabelledFieldText(DlgHwnd dialog, int control, char* buffer, size_t size);
