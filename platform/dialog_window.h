// The layer's own records of live dialogs and their controls; only the
// layer's files include this.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/dialog_host.h"

struct DlgPosted {
  uint32_t message;
  DlgWParam wparam;
  DlgLParam lparam;
};

// A dialog or one of its controls; a control's state is the base.
struct DlgWindow : DlgControlState {
  DlgWindow* dialog = nullptr;  // a control's dialog; null for a dialog

  // A control.
  DlgRect rect;  // in the dialog, pixels

  // A dialog.
  const DlgTemplate* dialog_template = nullptr;
  DlgProc proc = nullptr;
  DlgHwnd parent = nullptr;
  DlgHost* host = nullptr;
  std::string caption;
  std::vector<std::unique_ptr<DlgWindow>> controls;
  intptr_t user_word = 0;
  intptr_t message_result = 0;
  DlgRect window_rect;  // on the desktop
  DlgWindow* focus = nullptr;
  std::deque<DlgPosted> posted;
  bool ended = false;
  DlgResult end_code = 0;
  int instance_socket = -1;
  DlgWindow* outer = nullptr;  // the dialog this one runs inside, on this thread
};

// Live windows: every call checks its handle here first.
bool DlgIsLive(DlgHwnd window);
void DlgAddLive(DlgHwnd window);
void DlgRemoveLive(DlgHwnd window);
// The desktop and the stand-in for an application's window.
DlgHwnd DlgDesktopHandle();
bool DlgIsForeign(DlgHwnd window);

// The dialog a live window belongs to, or null.
DlgWindow* DlgDialogOf(DlgHwnd window);
DlgWindow* DlgControl(DlgHwnd dialog, int id);
// Visible and inside the dialog's edges.
bool DlgReachable(const DlgWindow* control);
void DlgNotify(DlgWindow* dialog, const DlgEvent& event);
// Calls the procedure for a WM_COMMAND from `control`.
void DlgSendCommand(DlgWindow* dialog, int control, uint16_t code);
// The messages of list and combo boxes.
DlgResult DlgListMessage(DlgWindow* control, uint32_t message, DlgWParam wparam, DlgLParam lparam);

// Top-level windows by caption, across processes.
void DlgInstanceRegister(DlgWindow* dialog);
void DlgInstanceUnregister(DlgWindow* dialog);
// Answers the other processes that looked for the dialog.
void DlgInstanceDrain(DlgWindow* dialog);
