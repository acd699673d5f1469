// Dialog templates: what a resource library holds for each dialog. A
// template names the dialog by number or by name and lists its controls in
// tab order; positions and sizes are in dialog units.
//
// A resource library exports one table under the name kDlgTemplateSymbol:
//
//   #include "platform/dialog_template.h"
//   namespace {
//   const DlgItemTemplate kLogonItems[] = {
//       {-1, DlgItemKind::kStatic, "&User ID:", 0, 8, 10, 50, 10, 0},
//       {103, DlgItemKind::kEdit, "", kDlgTabStop, 60, 10, 100, 12, 512},
//       {1, DlgItemKind::kButton, "OK", kDlgTabStop | kDlgDefault, 60, 30, 40, 14, 0},
//   };
//   const DlgTemplate kTemplates[] = {
//       {100, nullptr, "Logon", nullptr, 0, 0, 180, 60, kLogonItems, DLG_COUNT(kLogonItems)},
//   };
//   }  // namespace
//   DLG_TEMPLATE_TABLE(kTemplates);
//
// and is linked exporting only that name (vel_export_only(<lib>
// VelDialogTemplates)). The layer finds a template by id or by name in the
// loaded module (DlgFindTemplate); a library that carries its dialogs
// itself passes its own table to DialogBoxIndirectParam.
#pragma once

#include <cstdint>

enum class DlgItemKind : uint8_t {
  kStatic,       // a label; the control after which it stands in tab order names it
  kGroupBox,     // a frame with a title
  kButton,       // a push button
  kCheckBox,     // toggles itself when clicked
  kRadioButton,  // checks itself and clears the radio buttons next to it
  kEdit,
  kListBox,
  kComboList,  // a combo box whose text can only be chosen from its list
  kComboEdit,  // a combo box with an edit field
};

// Style bits of a control.
enum : uint32_t {
  kDlgTabStop = 1u << 0,    // reached by the tab key; the first one gets the focus
  kDlgDefault = 1u << 1,    // the default push button (Enter)
  kDlgHidden = 1u << 2,     // starts hidden
  kDlgDisabled = 1u << 3,   // starts disabled
  kDlgChecked = 1u << 4,    // check box or radio button starts checked
  kDlgPassword = 1u << 5,   // edit shows no characters
  kDlgMultiSel = 1u << 6,   // list box with multiple selection
  kDlgUseTabs = 1u << 7,    // list box expands tabs to its tab stops
  kDlgNotify = 1u << 8,     // list box sends selection changes and double clicks
  kDlgReadOnly = 1u << 9,   // edit the user cannot change
  kDlgMultiLine = 1u << 10  // edit of several lines
};

struct DlgItemTemplate {
  int32_t id;  // -1 for labels nobody addresses
  DlgItemKind kind;
  const char* text;  // label, button title or initial text
  uint32_t style;
  int16_t x, y, cx, cy;
  uint16_t limit;  // text limit of an edit or a combo's edit field; 0: none
};

struct DlgTemplate {
  int32_t id;        // 0 for a template known by name only
  const char* name;  // null for a template known by number only
  const char* caption;
  const char* class_name;  // a registered dialog class, or null
  int16_t x, y, cx, cy;
  const DlgItemTemplate* items;
  uint32_t item_count;
};

struct DlgTemplateTable {
  uint32_t version;  // kDlgTemplateVersion
  const DlgTemplate* templates;
  uint32_t count;
};

constexpr uint32_t kDlgTemplateVersion = 1;
constexpr const char* kDlgTemplateSymbol = "VelDialogTemplates";

#define DLG_COUNT(array) static_cast<uint32_t>(sizeof(array) / sizeof((array)[0]))
#define DLG_TEMPLATE_TABLE(array)                   \
  extern "C" __attribute__((visibility("default"))) \
  const DlgTemplateTable VelDialogTemplates = {kDlgTemplateVersion, array, DLG_COUNT(array)}
