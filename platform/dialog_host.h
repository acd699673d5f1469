// What shows the dialogs: a host gives the user's actions one at a time,
// shows message boxes and the save-file prompt, and is told what the
// procedures do (focus, enabling, captions, help calls, end codes).
//
// The process's host: the one installed with DlgUseHost; else the one the
// environment variable VELTO_DIALOG_HOST names, else the one the setting
// DialogHost of HKEY_CURRENT_USER\Software\Velto\Client names:
//   "terminal":  a form on the controlling terminal (/dev/tty);
//   "none":      every dialog fails to be created;
//   a path from "/": a host module, a library whose kDlgHostModuleEntry
//                gives the host (the tests' scripted host comes so into
//                processes they start); none when it cannot be loaded.
// Without either, the terminal when the process has a controlling
// terminal, else none.
#pragma once

#include <string>
#include <vector>

#include "platform/dialog.h"

// One thing the user does.
struct DlgAction {
  enum Kind : uint8_t {
    kType,         // replaces the text of an edit or a combo box's edit field
    kClick,        // a button, check box or radio button
    kSelect,       // the given lines of a list box (one for a single selection), or
                   // the line of a combo box
    kDoubleClick,  // one line of a list box
    kProbe,        // nothing: the scripted host records the dialog's controls
  };
  Kind kind = kClick;
  int control = 0;
  std::string text;
  std::vector<int> lines;
};

// What the host is told.
struct DlgEvent {
  enum Kind : uint8_t {
    kOpen,        // text: the template's name or number; value: 1
    kEnd,         // value: the end code
    kFocus,       // control
    kEnable,      // control, value 0 or 1 (changes only)
    kShow,        // control, value 0 or 1 (changes only)
    kCaption,     // text
    kHelp,        // text: the file; value: command; extra: data
    kBeep,        // value: type
    kCursor,      // value: 1 wait, 0 arrow
    kForeground,  // text: the caption of the window brought forward
    kRefused,     // an action the user could not take; text: why
    kShown,       // initialised and visible, before the work it posted itself runs
  };
  Kind kind;
  int control = 0;
  intptr_t value = 0;
  uintptr_t extra = 0;
  std::string text;
};

// A control's state, as the layer keeps it and as the user sees it.
struct DlgControlState {
  int id = 0;
  DlgItemKind kind = DlgItemKind::kStatic;
  uint32_t style = 0;
  std::string text;
  bool enabled = true;
  bool visible = true;
  unsigned check = 0;
  size_t limit = 0;
  std::vector<std::string> lines;
  std::vector<bool> selected;  // lines chosen in a multiple-selection list
  // The chosen line of a single-selection list or a combo box; the caret
  // line of a multiple-selection list.
  int current = -1;
  std::vector<int> tab_stops;
  // Whether the user sees line `line` as chosen.
  bool LineChosen(size_t line) const {
    if ((style & kDlgMultiSel) != 0) return line < selected.size() && selected[line];
    return current >= 0 && static_cast<size_t>(current) == line;
  }
};

// A control as the user sees it: not visible either where it lies beyond
// the dialog's edges.
using DlgControlView = DlgControlState;

struct DlgView {
  std::string caption;
  std::vector<DlgControlView> controls;  // dialog order
  int focus = 0;                         // id of the control with the focus, 0 for none
  int default_button = 0;                // id of the default push button, 0 for none
};

class DlgHost {
 public:
  virtual ~DlgHost() = default;
  // false: dialogs cannot be created (DialogBoxParam gives -1).
  virtual bool CanShowDialogs() { return true; }
  // The user's next action on `dialog`; false when nobody will act any
  // more: the dialog is then cancelled (IDCANCEL) and, if it stays open,
  // ended with -1.
  virtual bool NextAction(DlgHwnd dialog, DlgAction* action) = 0;
  virtual int ShowMessageBox(DlgHwnd owner, const char* text, const char* title, uint32_t type) = 0;
  // true with the chosen path in request->file; false when cancelled.
  virtual bool AskSaveFile(DlgSaveFile* request) = 0;
  virtual void Notify(DlgHwnd dialog, const DlgEvent& event) {
    (void)dialog;
    (void)event;
  }
  virtual DlgRect Desktop() { return DlgRect{0, 0, 1024, 768}; }
  // The most lines a list or combo box of the dialog holds; more gives
  // LB_ERRSPACE.
  virtual size_t ListCapacity(DlgHwnd dialog, int control) {
    (void)dialog;
    (void)control;
    return 32767;
  }
};

// What a host module is handed: the layer of the library that loaded it,
// whose dialogs the module cannot see otherwise.
struct DlgHostServices {
  DlgView (*snapshot)(DlgHwnd dialog);
};
// A host module's entry point: the host for the process's settings as they
// are now, asked for again at every DlgCurrentHost; null for none. The
// module owns it and keeps it at least until it gives another one for the
// same services.
using DlgHostModuleEntry = DlgHost* (*)(const DlgHostServices* services);
constexpr const char* kDlgHostModuleEntry = "VelDialogHost";

// Installs `host` for the process (not owned); null goes back to the
// choice by environment and setting. Returns the one installed before.
DlgHost* DlgUseHost(DlgHost* host);
// The host dialogs and boxes use now; never null.
DlgHost* DlgCurrentHost();

// A host that shows nothing: dialogs fail, boxes answer 0 after writing
// their text to standard error, the save prompt fails.
DlgHost* DlgNoneHost();

// What the user sees of a live dialog.
DlgView DlgSnapshot(DlgHwnd dialog);
// The label of a control: the text of the label before it in the dialog's
// order, without its first "&"; empty when none.
std::string DlgControlLabel(DlgHwnd dialog, int id);
// Carries out a user's action as the control would: a disabled, hidden or
// missing control, or an action that does not fit the control, is refused
// (false, with `why`).
bool DlgApplyAction(DlgHwnd dialog, const DlgAction& action, std::string* why);
