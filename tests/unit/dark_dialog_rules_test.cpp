// Which controls of a system dialog are restyled for the dark palette, and
// how, from their class name and style.

#include "ui/dark_dialog_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(DarkDialogRules, ClassAndTypeDecideTheTreatment) {
  struct Case {
    const char* class_name;
    std::uint32_t style;
    ChildStyling styling;
  };
  constexpr std::uint32_t visible_tab_stop = 0x50010000;  // WS_CHILD | WS_VISIBLE | WS_TABSTOP
  const Case cases[] = {
      {"Edit", visible_tab_stop, ChildStyling::ExplorerTheme},
      {"LISTBOX", 0, ChildStyling::ExplorerTheme},
      {"ScrollBar", 0, ChildStyling::ExplorerTheme},
      {"msctls_updown32", 0, ChildStyling::ExplorerTheme},
      {"ComboBox", 0x3, ChildStyling::ComboTheme},
      {"Button", visible_tab_stop | 0x1, ChildStyling::ExplorerTheme},  // default push button
      {"Button", 0x3, ChildStyling::SubclassCheck},                     // auto check box
      {"button", 0x5, ChildStyling::SubclassCheck},                     // three-state
      {"Button", 0x9, ChildStyling::SubclassRadio},                     // auto radio button
      {"Button", 0x4 | 0x20, ChildStyling::SubclassRadio},              // radio, text on the left
      {"Button", 0x7, ChildStyling::ThemeOff},                          // group box
      {"Button", 0xB, ChildStyling::ThemeOff},                          // owner drawn
      {"Static", 0x0, ChildStyling::SubclassText},
      {"Static", 0x2 | 0x80, ChildStyling::SubclassText},  // right-aligned, no prefix
      {"STATIC", 0xC, ChildStyling::SubclassText},         // left, no word wrap
      {"Static", 0x3, ChildStyling::None},                 // an icon
      {"Static", 0xE, ChildStyling::None},                 // a bitmap
      {"Static", 0x10, ChildStyling::None},                // an etched frame
      // Only A-Z fold: a look-alike with a dotless i or a longer name is another class.
      {"edıt", 0, ChildStyling::None},
      {"EditBox", 0, ChildStyling::None},
      {"SysListView32", 0, ChildStyling::None},
      {"", 0, ChildStyling::None},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(dialog_child_styling(c.class_name, c.style), c.styling) << c.class_name << " " << c.style;
  }
}

}  // namespace
