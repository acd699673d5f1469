// Modal dialogs over templates, run by dialog procedures that receive
// WM_INITDIALOG, WM_COMMAND and the private messages they post to
// themselves, and the operations those procedures call. Names and
// arguments follow what the code's procedures expect:
//
//   DlgResult LogonProc(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam) {
//     switch (message) {
//       case WM_INITDIALOG:
//         SetWindowLongPtr(dialog, DWL_USER, lparam);
//         SetDlgItemText(dialog, 103, "alice");
//         return 1;  // the first tab stop gets the focus
//       case WM_COMMAND:
//         if (LOWORD(wparam) == IDOK) EndDialog(dialog, 1);
//         if (LOWORD(wparam) == IDCANCEL) EndDialog(dialog, 2);
//         return 1;
//     }
//     return 0;
//   }
//   DlgResult result = DialogBoxParam(ResDllHandle(), 100, nullptr, LogonProc, context);
//
// The dialog is shown on the process's dialog host (dialog_host.h): a
// scripted one in tests, the terminal for people, or none, with which
// DialogBoxParam fails with -1. Messages a procedure posts to its own
// dialog are delivered after the message it is handling, in order. Every
// handle is checked: a handle that is not a live window of the layer is
// ignored (the calls fail), so an application's window handle is never
// dereferenced.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/dialog_messages.h"
#include "platform/dialog_template.h"
#include "platform/module.h"

struct DlgWindow;
using DlgHwnd = DlgWindow*;  // a dialog or one of its controls
using DlgWParam = uintptr_t;
using DlgLParam = intptr_t;
using DlgResult = intptr_t;
using DlgProc = DlgResult (*)(DlgHwnd dialog, uint32_t message, DlgWParam wparam, DlgLParam lparam);

// A template by number or by name: DialogBoxParam(module, 100, ...) or
// DialogBoxParam(module, "VCCCONFIG", ...).
struct DlgRes {
  DlgRes(int number) : id(number) {}
  DlgRes(const char* text) : name(text) {}
  int id = 0;
  const char* name = nullptr;
};

// Pixels: a dialog unit is two pixels each way. Right and bottom are
// exclusive.
struct DlgRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// --- Finding templates and running dialogs.

// The template of `module` (a loaded resource library), or null when the
// module has no template table or none by that number or name (names
// compare without regard to case).
const DlgTemplate* DlgFindTemplate(PlatModule module, DlgRes which);
const DlgTemplate* DlgFindInTable(const DlgTemplateTable* table, DlgRes which);

// Runs the dialog modally and returns the code EndDialog gave; -1 when
// the template is missing or the host cannot show dialogs. `parent` is a
// dialog of the layer, the handle DlgForeignWindow gives, or null.
DlgResult DialogBoxParam(PlatModule module, DlgRes which, DlgHwnd parent, DlgProc proc,
                         DlgLParam param);
DlgResult DialogBoxIndirectParam(const DlgTemplate* dialog_template, DlgHwnd parent, DlgProc proc,
                                 DlgLParam param);

// An application's window as a parent: a non-null handle stands for "the
// application allows a dialog"; it is never dereferenced. Null for null.
DlgHwnd DlgForeignWindow(const void* application_window);

bool EndDialog(DlgHwnd dialog, DlgResult result);

// --- Messages.

// To a dialog: its procedure's answer. To a control: the control's answer
// to EM_, BM_, LB_ and CB_ messages (0 for others).
DlgResult SendMessage(DlgHwnd window, uint32_t message, DlgWParam wparam, DlgLParam lparam);
DlgResult SendDlgItemMessage(DlgHwnd dialog, int id, uint32_t message, DlgWParam wparam,
                             DlgLParam lparam);
// Queues a message for the dialog's procedure (a control's message goes to
// its dialog); false for a window that is not live.
bool PostMessage(DlgHwnd window, uint32_t message, DlgWParam wparam, DlgLParam lparam);

// --- Controls and texts.

DlgHwnd GetDlgItem(DlgHwnd dialog, int id);
int GetDlgCtrlID(DlgHwnd control);
// The dialog of a control; the parent of a dialog (null for none).
DlgHwnd GetParent(DlgHwnd window);
// The control before or after `control` in the dialog's order (labels
// included), or null at either end.
constexpr int GW_HWNDNEXT = 2;
constexpr int GW_HWNDPREV = 3;
DlgHwnd GetWindow(DlgHwnd control, int relation);
// The next (or previous) enabled, visible control with a tab stop, wrapping.
DlgHwnd GetNextDlgTabItem(DlgHwnd dialog, DlgHwnd control, bool previous);

// Copies at most size - 1 characters and a NUL; the number copied.
int GetDlgItemText(DlgHwnd dialog, int id, char* buffer, int size);
bool SetDlgItemText(DlgHwnd dialog, int id, const char* text);
// A dialog's caption or a control's text.
int GetWindowText(DlgHwnd window, char* buffer, int size);
int GetWindowTextLength(DlgHwnd window);
bool SetWindowText(DlgHwnd window, const char* text);

// The text of a line of a list or combo box: at most size - 1 characters
// and a NUL; the line's length, or LB_ERR when there is no such line.
int DlgGetListText(DlgHwnd dialog, int id, int line, char* buffer, int size);

bool CheckDlgButton(DlgHwnd dialog, int id, unsigned state);
unsigned IsDlgButtonChecked(DlgHwnd dialog, int id);
// Checks `id` and clears every other radio button from `first` to `last`.
bool CheckRadioButton(DlgHwnd dialog, int first, int last, int id);

// true when the window was disabled before.
bool EnableWindow(DlgHwnd window, bool enable);
bool IsWindowEnabled(DlgHwnd window);
// true when the window was visible before.
bool ShowWindow(DlgHwnd window, int command);
bool IsWindowVisible(DlgHwnd window);
// The previous focus of that dialog, or null.
DlgHwnd SetFocus(DlgHwnd control);
// The control with the focus in the innermost dialog of this thread.
DlgHwnd GetFocus();

// DWL_USER: the dialog's user word; DWL_MSGRESULT: its message result.
intptr_t SetWindowLongPtr(DlgHwnd dialog, int index, intptr_t value);
intptr_t GetWindowLongPtr(DlgHwnd dialog, int index);

// --- Geometry.

// The desktop, whose rectangle the host gives.
DlgHwnd GetDesktopWindow();
bool GetWindowRect(DlgHwnd window, DlgRect* rect);
bool MoveWindow(DlgHwnd window, int32_t x, int32_t y, int32_t width, int32_t height);
// Centres `window` over `over`, then moves it back inside `desktop`: a right
// or bottom edge beyond the desktop's is pulled back, and then a negative
// left or top becomes 0. The size is kept.
DlgRect DlgCenteredRect(const DlgRect& window, const DlgRect& over, const DlgRect& desktop);
// That rule over the dialog's parent (the desktop when it has none or the
// parent is an application's window).
void DlgCenterOverParent(DlgHwnd dialog);

// --- Services.

// Shown by the host; the button's id (IDOK, IDYES, IDNO, IDCANCEL), or 0
// when no box can be shown.
int MessageBox(DlgHwnd owner, const char* text, const char* title, uint32_t type);
void MessageBeep(uint32_t type);

enum class DlgCursor : uint8_t { kArrow, kWait };
DlgCursor SetCursor(DlgCursor cursor);  // the previous cursor

// Help requests are handed to the host: HELP_CONTEXT with a context number,
// HELP_FINDER, HELP_QUIT.
bool WinHelp(DlgHwnd window, const char* help_file, uint32_t command, uintptr_t data);

// The save-file prompt: the file name buffer holds the proposed name and
// gets the chosen path. false when cancelled (CommDlgExtendedError 0) or
// failed (non-zero).
struct DlgSaveFile {
  DlgHwnd owner = nullptr;
  const char* filter_name = nullptr;     // "Text files"
  const char* filter_pattern = nullptr;  // "*.txt"
  char* file = nullptr;
  uint32_t file_size = 0;
  uint32_t flags = 0;  // OFN_*
};
bool GetSaveFileName(DlgSaveFile* request);
uint32_t CommDlgExtendedError();

// Single instance: a dialog without a parent is a top-level window known to
// every process of this user (and scope, VELTO_DIALOG_SCOPE) by its
// caption. FindWindow gives a handle for such a window or null;
// SetForegroundWindow asks its process to bring it to the front.
DlgHwnd FindWindow(const char* class_name, const char* title);
bool SetForegroundWindow(DlgHwnd window);

// Window classes and three-dimensional controls have no meaning here; the
// calls succeed and do nothing.
inline bool RegisterDialogClass(const char* /*name*/, PlatModule /*module*/) {
  return true;
}
inline int Ctl3dEnabled() {
  return 1;
}
template <typename... Args>
inline intptr_t Ctl3dCall(int /*ordinal*/, Args... /*args*/) {
  return 0;
}
