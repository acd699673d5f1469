// The driver's resource library: the logon dialog, template 100. The
// driver loads it at start and will not run without it.
//
// The part below the dialog's first edge (controls 106 to 110) is reached
// once the options button grows the dialog; the check box 109 shows the
// group of 110 and its two neighbours.
#include "platform/dialog_template.h"

namespace {

const DlgItemTemplate kLogonItems[] = {
    {-1, DlgItemKind::kStatic, "&Server:", 0, 8, 8, 50, 10, 0},
    {101, DlgItemKind::kComboList, "", kDlgTabStop, 64, 6, 130, 60, 0},
    {-1, DlgItemKind::kStatic, "&User ID:", 0, 8, 26, 50, 10, 0},
    {103, DlgItemKind::kEdit, "", kDlgTabStop, 64, 24, 130, 12, 512},
    {-1, DlgItemKind::kStatic, "&Password:", 0, 8, 44, 50, 10, 0},
    {104, DlgItemKind::kEdit, "", kDlgTabStop | kDlgPassword, 64, 42, 130, 12, 512},
    {1, DlgItemKind::kButton, "OK", kDlgTabStop | kDlgDefault, 204, 6, 50, 14, 0},
    {2, DlgItemKind::kButton, "Cancel", kDlgTabStop, 204, 24, 50, 14, 0},
    {105, DlgItemKind::kButton, "&Options >>", kDlgTabStop, 204, 42, 50, 14, 0},
    // The options part.
    {106, DlgItemKind::kGroupBox, "Options", kDlgDisabled, 8, 66, 246, 64, 0},
    {107, DlgItemKind::kStatic, "The server, server data source and fetch settings", kDlgDisabled,
     16, 78, 230, 10, 0},
    {108, DlgItemKind::kStatic, "come from the data source's entry.", kDlgDisabled, 16, 88, 230, 10,
     0},
    {109, DlgItemKind::kCheckBox, "Show &connection notes", kDlgTabStop, 16, 100, 120, 10, 0},
    {-1, DlgItemKind::kStatic, "Notes:", kDlgHidden, 16, 114, 30, 10, 0},
    {110, DlgItemKind::kStatic, "The password is sent scrambled,", kDlgHidden, 50, 114, 110, 10, 0},
    {-1, DlgItemKind::kStatic, "never stored.", kDlgHidden, 162, 114, 80, 10, 0},
};

const DlgTemplate kTemplates[] = {
    {100, nullptr, "Logon", nullptr, 0, 0, 262, 62, kLogonItems, DLG_COUNT(kLogonItems)},
};

}  // namespace

DLG_TEMPLATE_TABLE(kTemplates);
