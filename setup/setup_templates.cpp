#include "platform/dialog_template.h"
#include "setup/setup_dialogs.h"

namespace {

constexpr uint32_t kTab = kDlgTabStop;

const DlgItemTemplate kConfigureItems[] = {
    {-1, DlgItemKind::kGroupBox, "Client", 0, 6, 4, 228, 50, 0},
    {-1, DlgItemKind::kStatic, "&Data Source Name:", 0, 12, 16, 70, 10, 0},
    {kIdcDsn, DlgItemKind::kEdit, "", kTab, 86, 14, 140, 12, 32},
    {-1, DlgItemKind::kStatic, "D&escription:", 0, 12, 34, 70, 10, 0},
    {kIdcDescription, DlgItemKind::kEdit, "", kTab, 86, 32, 140, 12, 513},
    {kIdcOptions, DlgItemKind::kButton, "&Options...", kTab, 240, 8, 60, 14, 0},
    {-1, DlgItemKind::kGroupBox, "Server", 0, 6, 58, 228, 92, 0},
    {-1, DlgItemKind::kStatic, "D&ata Source Name:", 0, 12, 72, 70, 10, 0},
    {kIdcServerDsn, DlgItemKind::kEdit, "", kTab, 86, 70, 140, 12, 32},
    {-1, DlgItemKind::kGroupBox, "Primary Server", 0, 12, 88, 216, 56, 0},
    {-1, DlgItemKind::kStatic, "Ho&st:", 0, 18, 102, 40, 10, 0},
    {kIdcHost, DlgItemKind::kEdit, "", kTab, 62, 100, 160, 12, 64},
    {-1, DlgItemKind::kStatic, "&Port:", 0, 18, 122, 40, 10, 0},
    {kIdcPort, DlgItemKind::kEdit, "", kTab, 62, 120, 60, 12, 64},
    {kIdcSecondaryServers, DlgItemKind::kButton, "Se&condary Servers...", kTab, 240, 100, 80, 14,
     0},
    {IDOK, DlgItemKind::kButton, "OK", kTab | kDlgDefault, 240, 26, 60, 14, 0},
    {IDCANCEL, DlgItemKind::kButton, "Cancel", kTab, 240, 44, 60, 14, 0},
    {kIdcConfigureHelp, DlgItemKind::kButton, "&Help", kTab, 240, 62, 60, 14, 0},
};

const DlgItemTemplate kOptionsItems[] = {
    {-1, DlgItemKind::kGroupBox, "Network", 0, 6, 4, 150, 46, 0},
    {kIdcArrayFetch, DlgItemKind::kCheckBox, "Enable &Array Fetch", kTab, 12, 16, 100, 10, 0},
    {-1, DlgItemKind::kStatic, "Array &Fetch Buffer Size:", 0, 12, 32, 90, 10, 0},
    {kIdcBufferSize, DlgItemKind::kEdit, "", kTab, 104, 30, 20, 12, 2},
    {-1, DlgItemKind::kStatic, "K", 0, 128, 32, 10, 10, 0},
    {IDOK, DlgItemKind::kButton, "OK", kTab | kDlgDefault, 164, 6, 50, 14, 0},
    {IDCANCEL, DlgItemKind::kButton, "Cancel", kTab, 164, 24, 50, 14, 0},
    {kIdcOptionsHelp, DlgItemKind::kButton, "&Help", kTab, 164, 42, 50, 14, 0},
};

const DlgItemTemplate kSecondaryItems[] = {
    {-1, DlgItemKind::kGroupBox, "Secondary Servers", 0, 6, 4, 190, 110, 0},
    {-1, DlgItemKind::kStatic, "Ho&st", 0, 12, 14, 60, 10, 0},
    {-1, DlgItemKind::kStatic, "Port", 0, 142, 14, 40, 10, 0},
    {kIdcServerLines, DlgItemKind::kListBox, "", kTab | kDlgNotify | kDlgUseTabs, 12, 24, 178, 84,
     0},
    {kIdcAddServer, DlgItemKind::kButton, "&Add...", kTab, 204, 24, 50, 14, 0},
    {kIdcModifyServer, DlgItemKind::kButton, "&Modify...", kTab, 204, 42, 50, 14, 0},
    {kIdcRemoveServer, DlgItemKind::kButton, "&Remove", kTab, 204, 60, 50, 14, 0},
    {IDOK, DlgItemKind::kButton, "OK", kTab | kDlgDefault, 34, 120, 50, 14, 0},
    {IDCANCEL, DlgItemKind::kButton, "Cancel", kTab, 90, 120, 50, 14, 0},
    {kIdcServersHelp, DlgItemKind::kButton, "&Help", kTab, 146, 120, 50, 14, 0},
};

const DlgItemTemplate kServerItems[] = {
    {-1, DlgItemKind::kGroupBox, "Server", 0, 6, 4, 170, 48, 0},
    {-1, DlgItemKind::kStatic, "Ho&st:", 0, 12, 16, 30, 10, 0},
    {kIdcServerHost, DlgItemKind::kEdit, "", kTab, 46, 14, 124, 12, 64},
    {-1, DlgItemKind::kStatic, "&Port:", 0, 12, 34, 30, 10, 0},
    {kIdcServerPort, DlgItemKind::kEdit, "", kTab, 46, 32, 60, 12, 64},
    {IDOK, DlgItemKind::kButton, "OK", kTab | kDlgDefault, 184, 6, 50, 14, 0},
    {IDCANCEL, DlgItemKind::kButton, "Cancel", kTab, 184, 24, 50, 14, 0},
    {kIdcServerHelp, DlgItemKind::kButton, "&Help", kTab, 184, 42, 50, 14, 0},
};

const DlgTemplate kTemplates[] = {
    {101, nullptr, "Plenvault ODBC Configuration", nullptr, 0, 0, 330, 156, kConfigureItems,
     DLG_COUNT(kConfigureItems)},
    {102, nullptr, "Options", nullptr, 0, 0, 222, 60, kOptionsItems, DLG_COUNT(kOptionsItems)},
    {103, nullptr, "Secondary Servers", nullptr, 0, 0, 262, 140, kSecondaryItems,
     DLG_COUNT(kSecondaryItems)},
    // The caption is set when the dialog opens: adding or modifying.
    {104, nullptr, " ", nullptr, 0, 0, 242, 58, kServerItems, DLG_COUNT(kServerItems)},
};

}  // namespace

const DlgTemplateTable kSetupTemplates = {kDlgTemplateVersion, kTemplates, DLG_COUNT(kTemplates)};
