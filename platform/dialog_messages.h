// Message numbers, notification codes and answer codes of the dialog layer,
// named and numbered as the dialog procedures of the code expect them.
#pragma once

#include <cstdint>

// Messages a dialog procedure receives.
constexpr uint32_t WM_SETTEXT = 0x000C;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_SYSCOLORCHANGE = 0x0015;
constexpr uint32_t WM_NCPAINT = 0x0085;
constexpr uint32_t WM_NCACTIVATE = 0x0086;
constexpr uint32_t WM_INITDIALOG = 0x0110;  // wParam: control to get the focus; lParam: parameter
constexpr uint32_t WM_COMMAND = 0x0111;     // wParam: MAKEWPARAM(control id, notification)
constexpr uint32_t WM_CTLCOLORMSGBOX = 0x0132;
constexpr uint32_t WM_CTLCOLORDLG = 0x0136;
constexpr uint32_t WM_CTLCOLORSTATIC = 0x0138;
constexpr uint32_t WM_USER = 0x0400;  // private messages of a dialog start here
constexpr uint32_t WM_APP = 0x8000;   // and here

// Notification codes in the high word of WM_COMMAND's wParam.
constexpr uint16_t BN_CLICKED = 0;
constexpr uint16_t LBN_SELCHANGE = 1;  // list box with kDlgNotify
constexpr uint16_t LBN_DBLCLK = 2;     // list box with kDlgNotify
constexpr uint16_t CBN_SELCHANGE = 1;
constexpr uint16_t CBN_EDITCHANGE = 5;
// A combo box with an edit field sends this after the user changed its
// text (typed or chosen) and moved on.
constexpr uint16_t EN_KILLFOCUS = 0x0200;
constexpr uint16_t EN_CHANGE = 0x0300;

// Messages to controls (SendDlgItemMessage).
constexpr uint32_t EM_SETSEL = 0x00B1;     // wParam start, lParam end; 0, -1: all
constexpr uint32_t EM_LIMITTEXT = 0x00C5;  // wParam: characters, 0 for none
constexpr uint32_t BM_GETCHECK = 0x00F0;
constexpr uint32_t BM_SETCHECK = 0x00F1;
constexpr uint32_t CB_LIMITTEXT = 0x0141;
constexpr uint32_t CB_SETEDITSEL = 0x0142;
constexpr uint32_t CB_ADDSTRING = 0x0143;
constexpr uint32_t CB_DELETESTRING = 0x0144;
constexpr uint32_t CB_GETCOUNT = 0x0146;
constexpr uint32_t CB_GETCURSEL = 0x0147;
constexpr uint32_t CB_GETLBTEXT = 0x0148;
constexpr uint32_t CB_GETLBTEXTLEN = 0x0149;
constexpr uint32_t CB_INSERTSTRING = 0x014A;
constexpr uint32_t CB_RESETCONTENT = 0x014B;
constexpr uint32_t CB_SETCURSEL = 0x014E;
constexpr uint32_t LB_ADDSTRING = 0x0180;
constexpr uint32_t LB_INSERTSTRING = 0x0181;  // wParam: position, -1 for the end
constexpr uint32_t LB_DELETESTRING = 0x0182;
constexpr uint32_t LB_RESETCONTENT = 0x0184;
constexpr uint32_t LB_SETSEL = 0x0185;     // wParam: select or not; lParam: line, -1 for all
constexpr uint32_t LB_SETCURSEL = 0x0186;  // wParam: line, -1 for none
constexpr uint32_t LB_GETSEL = 0x0187;
constexpr uint32_t LB_GETCURSEL = 0x0188;
constexpr uint32_t LB_GETTEXT = 0x0189;
constexpr uint32_t LB_GETTEXTLEN = 0x018A;
constexpr uint32_t LB_GETCOUNT = 0x018B;
constexpr uint32_t LB_GETSELCOUNT = 0x0190;
constexpr uint32_t LB_GETSELITEMS = 0x0191;  // wParam: room; lParam: int32_t array
constexpr uint32_t LB_SETTABSTOPS = 0x0192;  // wParam: count; lParam: int32_t array

constexpr intptr_t LB_OKAY = 0;
constexpr intptr_t LB_ERR = -1;
constexpr intptr_t LB_ERRSPACE = -2;
constexpr intptr_t CB_ERR = -1;
constexpr intptr_t CB_ERRSPACE = -2;
constexpr uintptr_t BST_UNCHECKED = 0;
constexpr uintptr_t BST_CHECKED = 1;

// Control ids with fixed meanings; dialog end codes.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDC_STATIC = -1;

// Message box types: buttons, icon, default button.
constexpr uint32_t MB_OK = 0x00;
constexpr uint32_t MB_OKCANCEL = 0x01;
constexpr uint32_t MB_YESNO = 0x04;
constexpr uint32_t MB_ICONSTOP = 0x10;
constexpr uint32_t MB_ICONQUESTION = 0x20;
constexpr uint32_t MB_ICONEXCLAMATION = 0x30;
constexpr uint32_t MB_ICONINFORMATION = 0x40;
constexpr uint32_t MB_DEFBUTTON2 = 0x100;
constexpr uint32_t MB_BUTTONS_MASK = 0x0F;
constexpr uint32_t MB_ICON_MASK = 0xF0;

// Help commands.
constexpr uint32_t HELP_CONTEXT = 0x0001;
constexpr uint32_t HELP_QUIT = 0x0002;
constexpr uint32_t HELP_FINDER = 0x000B;

// Window words, show commands and window relations.
constexpr int DWL_MSGRESULT = 0;
constexpr int DWL_USER = 8;
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

// Save-file prompt options.
constexpr uint32_t OFN_OVERWRITEPROMPT = 0x0002;
constexpr uint32_t OFN_HIDEREADONLY = 0x0004;
constexpr uint32_t OFN_PATHMUSTEXIST = 0x0800;

constexpr uint16_t LOWORD(uintptr_t value) {
  return static_cast<uint16_t>(value & 0xFFFF);
}
constexpr uint16_t HIWORD(uintptr_t value) {
  return static_cast<uint16_t>((value >> 16) & 0xFFFF);
}
constexpr uintptr_t MAKEWPARAM(uint16_t low, uint16_t high) {
  return static_cast<uintptr_t>(low) | (static_cast<uintptr_t>(high) << 16);
}
constexpr intptr_t MAKELPARAM(uint16_t low, uint16_t high) {
  return static_cast<intptr_t>(static_cast<uint32_t>(low) | (static_cast<uint32_t>(high) << 16));
}
