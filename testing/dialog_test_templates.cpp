// Templates of a resource library the layer's tests load.
#include "platform/dialog_template.h"

namespace {

const DlgItemTemplate kFormItems[] = {
    {-1, DlgItemKind::kStatic, "&Name:", 0, 4, 4, 40, 10, 0},
    {10, DlgItemKind::kEdit, "", kDlgTabStop, 50, 4, 100, 12, 8},
    {-1, DlgItemKind::kStatic, "&Secret:", 0, 4, 20, 40, 10, 0},
    {11, DlgItemKind::kEdit, "", kDlgTabStop | kDlgPassword, 50, 20, 100, 12, 0},
    {12, DlgItemKind::kCheckBox, "&Remember", kDlgTabStop | kDlgChecked, 4, 36, 80, 10, 0},
    {13, DlgItemKind::kRadioButton, "&Always", kDlgTabStop, 4, 48, 60, 10, 0},
    {14, DlgItemKind::kRadioButton, "&Hourly", 0, 64, 48, 60, 10, 0},
    {15, DlgItemKind::kListBox, "", kDlgTabStop | kDlgMultiSel | kDlgNotify, 4, 60, 140, 40, 0},
    {16, DlgItemKind::kListBox, "", kDlgTabStop | kDlgNotify | kDlgUseTabs, 4, 104, 140, 40, 0},
    {17, DlgItemKind::kComboEdit, "", kDlgTabStop, 4, 148, 140, 40, 64},
    {18, DlgItemKind::kButton, "&Hidden", kDlgHidden, 4, 170, 40, 14, 0},
    {19, DlgItemKind::kButton, "&Off", kDlgDisabled | kDlgTabStop, 50, 170, 40, 14, 0},
    {1, DlgItemKind::kButton, "OK", kDlgTabStop | kDlgDefault, 100, 170, 40, 14, 0},
    {2, DlgItemKind::kButton, "Cancel", kDlgTabStop, 150, 170, 40, 14, 0},
    // Below the dialog's edge until it grows.
    {20, DlgItemKind::kButton, "&More", kDlgTabStop, 4, 200, 40, 14, 0},
};

const DlgItemTemplate kNoticeItems[] = {
    {-1, DlgItemKind::kStatic, "Please wait.", 0, 4, 4, 100, 10, 0},
};

const DlgTemplate kTemplates[] = {
    {100, nullptr, "Form", nullptr, 0, 0, 200, 190, kFormItems, DLG_COUNT(kFormItems)},
    {0, "NOTICE", "Notice", nullptr, 0, 0, 120, 20, kNoticeItems, DLG_COUNT(kNoticeItems)},
};

}  // namespace

DLG_TEMPLATE_TABLE(kTemplates);
