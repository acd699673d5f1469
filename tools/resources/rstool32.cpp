// The tools' resource library: the configuration utility's five dialogs
// and the refresh program's wait notice. The captions of VCCCONFIG and
// VCRREFRESH are the texts the programs' single-instance test looks for.
#include "platform/dialog_template.h"

namespace {

constexpr uint32_t kTab = kDlgTabStop;

const DlgItemTemplate kConfigItems[] = {
    {-1, DlgItemKind::kGroupBox, "Data sources", 0, 6, 4, 196, 110, 0},
    {103, DlgItemKind::kCheckBox, "Register as &system data sources", kTab, 14, 16, 180, 10, 0},
    {105, DlgItemKind::kCheckBox, "Update data sources &automatically", kTab, 14, 32, 180, 10, 0},
    {106, DlgItemKind::kRadioButton, "At every &start", kTab, 24, 46, 120, 10, 0},
    {107, DlgItemKind::kRadioButton, "&Every", 0, 24, 60, 40, 10, 0},
    {108, DlgItemKind::kEdit, "", kTab, 66, 58, 24, 12, 3},
    {-1, DlgItemKind::kStatic, "hours", 0, 94, 60, 40, 10, 0},
    {100, DlgItemKind::kButton, "Update &Now", kTab, 14, 78, 56, 14, 0},
    {101, DlgItemKind::kButton, "&Remove...", kTab, 74, 78, 56, 14, 0},
    {102, DlgItemKind::kButton, "Re&port...", kTab, 134, 78, 56, 14, 0},
    {104, DlgItemKind::kButton, "A&dvanced...", kTab, 14, 96, 56, 14, 0},
    {1, DlgItemKind::kButton, "OK", kTab | kDlgDefault, 210, 6, 50, 14, 0},
    {2, DlgItemKind::kButton, "Cancel", kTab, 210, 24, 50, 14, 0},
    {2000, DlgItemKind::kButton, "&Help", kTab, 210, 42, 50, 14, 0},
};

const DlgItemTemplate kAdvancedItems[] = {
    {-1, DlgItemKind::kStatic, "&Server:", 0, 8, 8, 60, 10, 0},
    {109, DlgItemKind::kComboEdit, "", kTab, 70, 6, 120, 60, 64},
    {-1, DlgItemKind::kStatic, "&Port or service:", 0, 8, 26, 60, 10, 0},
    {110, DlgItemKind::kEdit, "", kTab, 70, 24, 120, 12, 64},
    {1, DlgItemKind::kButton, "OK", kTab | kDlgDefault, 200, 6, 50, 14, 0},
    {2, DlgItemKind::kButton, "Cancel", kTab, 200, 24, 50, 14, 0},
    {2000, DlgItemKind::kButton, "&Help", kTab, 200, 42, 50, 14, 0},
};

const DlgItemTemplate kRemoveItems[] = {
    {-1, DlgItemKind::kStatic, "&Data sources of this driver:", 0, 8, 6, 150, 10, 0},
    {102, DlgItemKind::kListBox, "", kTab | kDlgMultiSel | kDlgNotify, 8, 18, 150, 90, 0},
    {100, DlgItemKind::kButton, "&Deselect All", kTab, 166, 18, 60, 14, 0},
    {101, DlgItemKind::kButton, "Select &All", kTab, 166, 36, 60, 14, 0},
    {103, DlgItemKind::kButton, "&Remove", kTab, 166, 54, 60, 14, 0},
    {1, DlgItemKind::kButton, "OK", kTab | kDlgDefault, 234, 6, 50, 14, 0},
    {2, DlgItemKind::kButton, "Cancel", kTab, 234, 24, 50, 14, 0},
    {2000, DlgItemKind::kButton, "&Help", kTab, 234, 42, 50, 14, 0},
};

const DlgItemTemplate kReportItems[] = {
    {-1, DlgItemKind::kStatic, "Server", 0, 8, 6, 70, 10, 0},
    {-1, DlgItemKind::kStatic, "Added", 0, 82, 6, 30, 10, 0},
    {-1, DlgItemKind::kStatic, "Updated", 0, 98, 6, 40, 10, 0},
    {-1, DlgItemKind::kStatic, "Removed", 0, 114, 6, 40, 10, 0},
    {101, DlgItemKind::kListBox, "", kTab | kDlgUseTabs | kDlgNotify, 8, 18, 232, 90, 0},
    {100, DlgItemKind::kButton, "&Details...", kTab | kDlgDisabled, 8, 112, 56, 14, 0},
    {102, DlgItemKind::kButton, "&Save...", kTab | kDlgDisabled, 70, 112, 56, 14, 0},
    {1, DlgItemKind::kButton, "OK", kTab | kDlgDefault, 248, 6, 50, 14, 0},
    {2, DlgItemKind::kButton, "Cancel", kTab, 248, 24, 50, 14, 0},
    {2000, DlgItemKind::kButton, "&Help", kTab, 248, 42, 50, 14, 0},
};

const DlgItemTemplate kDetailItems[] = {
    {-1, DlgItemKind::kStatic, "Server:", 0, 8, 6, 30, 10, 0},
    {101, DlgItemKind::kStatic, "", 0, 40, 6, 160, 10, 0},
    {-1, DlgItemKind::kStatic, "&Data sources:", 0, 8, 20, 100, 10, 0},
    {100, DlgItemKind::kListBox, "", kTab | kDlgUseTabs, 8, 32, 200, 80, 0},
    {1, DlgItemKind::kButton, "OK", kTab | kDlgDefault, 216, 6, 50, 14, 0},
    {2, DlgItemKind::kButton, "Cancel", kTab, 216, 24, 50, 14, 0},
    {2000, DlgItemKind::kButton, "&Help", kTab, 216, 42, 50, 14, 0},
};

const DlgItemTemplate kRefreshItems[] = {
    {-1, DlgItemKind::kStatic, "Updating the data sources, please wait...", 0, 10, 10, 180, 10, 0},
};

const DlgTemplate kTemplates[] = {
    {0, "VCCCONFIG", "VeltoClient Configuration", "VelClntDClass", 0, 0, 268, 120, kConfigItems,
     DLG_COUNT(kConfigItems)},
    {0, "VCCCONFIG2", "Advanced Settings", nullptr, 0, 0, 258, 62, kAdvancedItems,
     DLG_COUNT(kAdvancedItems)},
    {0, "VCCREMOVE", "Remove Data Sources", nullptr, 0, 0, 292, 114, kRemoveItems,
     DLG_COUNT(kRemoveItems)},
    {0, "DSREPORT", "Data Source Report", nullptr, 0, 0, 306, 132, kReportItems,
     DLG_COUNT(kReportItems)},
    {0, "DetailReport", "Report Details", nullptr, 0, 0, 274, 118, kDetailItems,
     DLG_COUNT(kDetailItems)},
    {0, "VCRREFRESH", "VeltoClient", nullptr, 0, 0, 200, 30, kRefreshItems,
     DLG_COUNT(kRefreshItems)},
};

}  // namespace

DLG_TEMPLATE_TABLE(kTemplates);
