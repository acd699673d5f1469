// The host for people: each dialog is drawn as a form on the controlling
// terminal (/dev/tty) and answered line by line.
//
//   === Logon to demo ===
//    1  Server:      127.0.0.1.1583 [1) 127.0.0.1.1583]
//    2  User ID:     alice
//    3  Password:    ****
//    4  <Options >>>
//    5  [ ] Trace    (disabled)
//       <OK>=6 (Enter)   <Cancel>=7
//   Number of a field or button, Enter for the default button, q to cancel:
//
// Choosing an edit field asks for its new value (Enter keeps it, a lone
// "-" empties it; passwords are not echoed); a check box or radio button
// toggles; a list asks for line numbers ("2!" opens line 2); a button is
// pressed. Message boxes are printed and answered with Enter, y/n or o/c;
// the save-file prompt asks before it names a file that is there when the
// request says so (OFN_OVERWRITEPROMPT). The form is drawn once the dialog
// is initialised, before any work it posted itself runs, and again after
// every command; a label that follows a field and names nothing after it
// stays on that field's line. End of input cancels.
#pragma once

#include "platform/dialog_host.h"

// The terminal host of the process; it opens /dev/tty when first used.
DlgHost* DlgTerminalHost();
