// What the programs expect of the resource libraries: each template, by
// number or name, with the controls the programs address, of the right kind.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/dialog.h"

namespace {

using Kind = DlgItemKind;

struct Expected {
  const char* library;
  DlgRes which;
  const char* caption;  // null: the programs do not look at it
  std::map<int, Kind> controls;
};

const DlgItemTemplate* Item(const DlgTemplate* dialog, int id) {
  for (uint32_t i = 0; i < dialog->item_count; ++i) {
    if (dialog->items[i].id == id) return &dialog->items[i];
  }
  return nullptr;
}

TEST(ResourceLibraries, HoldEveryTemplateWithTheControlsTheProgramsAddress) {
  const std::map<int, Kind> common = {
      {1, Kind::kButton}, {2, Kind::kButton}, {2000, Kind::kButton}};
  auto with_common = [&](std::map<int, Kind> controls) {
    controls.insert(common.begin(), common.end());
    return controls;
  };
  const std::vector<Expected> expected = {
      {VEL_RSTOOL_PATH, "VCCCONFIG", "VeltoClient Configuration",
       with_common({{100, Kind::kButton},
                    {101, Kind::kButton},
                    {102, Kind::kButton},
                    {104, Kind::kButton},
                    {103, Kind::kCheckBox},
                    {105, Kind::kCheckBox},
                    {106, Kind::kRadioButton},
                    {107, Kind::kRadioButton},
                    {108, Kind::kEdit}})},
      {VEL_RSTOOL_PATH, "VCCCONFIG2", nullptr,
       with_common({{109, Kind::kComboEdit}, {110, Kind::kEdit}})},
      {VEL_RSTOOL_PATH, "VCCREMOVE", nullptr,
       with_common({{100, Kind::kButton},
                    {101, Kind::kButton},
                    {103, Kind::kButton},
                    {102, Kind::kListBox}})},
      {VEL_RSTOOL_PATH, "DSREPORT", nullptr,
       with_common({{100, Kind::kButton}, {102, Kind::kButton}, {101, Kind::kListBox}})},
      {VEL_RSTOOL_PATH, "DetailReport", nullptr,
       with_common({{101, Kind::kStatic}, {100, Kind::kListBox}})},
      {VEL_RSTOOL_PATH, "VCRREFRESH", "VeltoClient", {}},
      {VEL_RESOURCE_PATH,
       100,
       nullptr,
       {{1, Kind::kButton},
        {2, Kind::kButton},
        {101, Kind::kComboList},
        {103, Kind::kEdit},
        {104, Kind::kEdit},
        {105, Kind::kButton},
        {109, Kind::kCheckBox}}},
  };
  for (const auto& e : expected) {
    PlatModule module = PlatModuleLoadFile(e.library);
    ASSERT_NE(module, nullptr) << e.library;
    const DlgTemplate* dialog = DlgFindTemplate(module, e.which);
    ASSERT_NE(dialog, nullptr) << (e.which.name != nullptr ? e.which.name : "100");
    if (e.caption != nullptr) {
      EXPECT_STREQ(dialog->caption, e.caption);
    }
    for (const auto& [id, kind] : e.controls) {
      const DlgItemTemplate* item = Item(dialog, id);
      ASSERT_NE(item, nullptr) << dialog->caption << " lacks " << id;
      EXPECT_EQ(item->kind, kind) << dialog->caption << " " << id;
    }
    PlatModuleFree(module);
  }
}

TEST(ResourceLibraries, ControlsHaveTheStylesTheirDialogsRelyOn) {
  PlatModule tools = PlatModuleLoadFile(VEL_RSTOOL_PATH);
  ASSERT_NE(tools, nullptr);
  // The hours field is followed by its label, which follows its enabling.
  const DlgTemplate* config = DlgFindTemplate(tools, "VCCCONFIG");
  for (uint32_t i = 0; i < config->item_count; ++i) {
    if (config->items[i].id != 108) continue;
    ASSERT_LT(i + 1, config->item_count);
    EXPECT_EQ(config->items[i + 1].kind, Kind::kStatic);
    EXPECT_EQ(config->items[i].limit, 3);
  }
  EXPECT_NE(Item(DlgFindTemplate(tools, "VCCREMOVE"), 102)->style & kDlgMultiSel, 0u);
  const uint32_t report = Item(DlgFindTemplate(tools, "DSREPORT"), 101)->style;
  EXPECT_NE(report & kDlgUseTabs, 0u);
  EXPECT_NE(report & kDlgNotify, 0u);
  EXPECT_NE(Item(DlgFindTemplate(tools, "DetailReport"), 100)->style & kDlgUseTabs, 0u);
  PlatModuleFree(tools);

  PlatModule driver = PlatModuleLoadFile(VEL_RESOURCE_PATH);
  ASSERT_NE(driver, nullptr);
  const DlgTemplate* logon = DlgFindTemplate(driver, 100);
  EXPECT_NE(Item(logon, 104)->style & kDlgPassword, 0u);
  EXPECT_EQ(Item(logon, 103)->limit, 512);
  // The options part starts below the dialog's first edge, disabled.
  for (int id = 106; id <= 110; ++id) {
    const DlgItemTemplate* item = Item(logon, id);
    ASSERT_NE(item, nullptr) << id;
    EXPECT_GE(item->y, logon->cy) << id;
    if (id <= 108) {
      EXPECT_NE(item->style & kDlgDisabled, 0u) << id;
    }
  }
  PlatModuleFree(driver);
}

TEST(ResourceLibraries, TheBaseLibraryLoadsAndHoldsNoTemplate) {
  PlatModule base = PlatModuleLoadFile(VEL_RSBASE_PATH);
  ASSERT_NE(base, nullptr);
  EXPECT_NE(PlatModuleSymbol(base, kDlgTemplateSymbol), nullptr);
  EXPECT_EQ(DlgFindTemplate(base, 100), nullptr);
  PlatModuleFree(base);
}

}  // namespace
