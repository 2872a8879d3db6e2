#include "app/menu_model.h"

#include "app/accelerator_table.h"
#include "app/covered_commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

// One line per item, submenus indented below their item:
// "Undo\tCtrl+Z #110 (grayed)", "Word Wrap #120 [x]", "---", "Theme >".
void render(const std::vector<MenuItem>& items, const std::string& indent, std::vector<std::string>& out) {
  for (const MenuItem& item : items) {
    std::string line = indent + item.text;
    if (item.separator) line += "---";
    if (item.command != 0) line += " #" + std::to_string(item.command);
    if (item.checked) line += " [x]";
    if (item.grayed) line += " (grayed)";
    if (!item.submenu.empty()) line += " >";
    out.push_back(line);
    render(item.submenu, indent + "  ", out);
  }
}

std::vector<std::string> render(const std::vector<MenuItem>& items) {
  std::vector<std::string> out;
  render(items, "", out);
  return out;
}

// How an item looks, found by its text before the shortcut anywhere in the tree.
std::string look(const std::vector<MenuItem>& items, const std::string& label) {
  for (const MenuItem& item : items) {
    if (item.text.substr(0, item.text.find('\t')) == label) {
      if (item.checked) return item.grayed ? "checked grayed" : "checked";
      return item.grayed ? "grayed" : "enabled";
    }
    const std::string inner = look(item.submenu, label);
    if (inner != "absent") return inner;
  }
  return "absent";
}

// Settings as they are by default, and a fresh, empty editor.
MainMenuFacts fresh() {
  MainMenuFacts facts;
  facts.word_wrap = true;
  facts.print_labels = true;
  facts.edit.has_editor = true;
  return facts;
}

TEST(MenuModel, MainMenuReadsLikeItsTables) {
  const std::vector<std::string> expected = {
      "File >",
      "  New Tab\tCtrl+N #100",
      "  Open...\tCtrl+O #101",
      "  Save\tCtrl+S #102",
      "  Save As...\tCtrl+Shift+S #103",
      "  Print...\tCtrl+P #106",
      "  Print File Name and Page Number #107 [x]",
      "  ---",
      "  Close Tab\tCtrl+W #104",
      "  Exit\tAlt+F4 #105",
      "Edit >",
      "  Undo\tCtrl+Z #110 (grayed)",
      "  Redo\tCtrl+Y #111 (grayed)",
      "  ---",
      "  Cut\tCtrl+X #112 (grayed)",
      "  Copy\tCtrl+C #113 (grayed)",
      "  Paste\tCtrl+V #114",
      "  Delete\tDel #115 (grayed)",
      "  ---",
      "  Select All\tCtrl+A #116",
      "  Time/Date\tF5 #117",
      "  ---",
      "  Find...\tCtrl+F #150",
      "  Find Next\tF3 #151",
      "  Find Previous\tShift+F3 #152",
      "  Replace...\tCtrl+H #153",
      "  Go To Line...\tCtrl+G #154",
      "View >",
      "  Word Wrap #120 [x]",
      "  Font... #121",
      "  ---",
      "  Zoom In\tCtrl+Plus #122",
      "  Zoom Out\tCtrl+Minus #123",
      "  Restore Default Zoom\tCtrl+0 #124",
      "  ---",
      "  Theme >",
      "    System #135 [x]",
      "    Light #136",
      "    Dark #137",
      "  Always on Top #126",
      "---",
      "Privacy Settings... #128",
      "Set Password... #140",
      "Hide Now\tCtrl+L #129",
      "---",
      "Check for Updates... #161",
      "Install Nimbol... #162",
      "About Nimbol #160",
  };
  EXPECT_EQ(render(main_menu_items(fresh())), expected);
}

TEST(MenuModel, TopMenuOffersWhatThePasswordUpdateAndInstallationAllow) {
  struct Case {
    const char* what;
    std::function<void(MainMenuFacts&)> change;
    std::vector<std::string> tail;  // the top menu after "Privacy Settings..."
  };
  const Case cases[] = {
      {"a password set, a copy elsewhere of an installed program",
       [](MainMenuFacts& f) { f.password_set = f.installed_copy_exists = true; },
       {"Change Password... #141", "Remove Password... #142", "Hide Now\tCtrl+L #129", "---",
        "Check for Updates... #161", "Update Installed Nimbol... #162", "About Nimbol #160"}},
      {"started from the installed location, a newer version out",
       [](MainMenuFacts& f) { f.running_installed_copy = f.installed_copy_exists = f.update_available = true; },
       {"Set Password... #140", "Hide Now\tCtrl+L #129", "---", "Update Available... #161", "About Nimbol #160"}},
  };
  for (const Case& c : cases) {
    MainMenuFacts facts = fresh();
    c.change(facts);
    std::vector<std::string> top;
    for (const std::string& line : render(main_menu_items(facts))) {
      if (line[0] != ' ') top.push_back(line);
    }
    ASSERT_EQ(top.at(4), "Privacy Settings... #128") << c.what;
    EXPECT_EQ(std::vector<std::string>(top.begin() + 5, top.end()), c.tail) << c.what;
  }
}

TEST(MenuModel, ChecksAndGrayFollowTheFacts) {
  struct Case {
    const char* what;
    std::function<void(MainMenuFacts&)> change;
    std::vector<std::pair<std::string, std::string>> looks;
  };
  const Case cases[] = {
      {"with a selection",
       [](MainMenuFacts& f) { f.edit.has_selection = true; },
       {{"Cut", "enabled"}, {"Copy", "enabled"}, {"Delete", "enabled"}, {"Undo", "grayed"}}},
      {"after typing",
       [](MainMenuFacts& f) { f.edit.can_undo = true; },
       {{"Undo", "enabled"}, {"Redo", "grayed"}, {"Cut", "grayed"}}},
      {"after an undo",
       [](MainMenuFacts& f) { f.edit.can_undo = f.edit.can_redo = true; },
       {{"Undo", "enabled"}, {"Redo", "enabled"}}},
      {"no active tab, whatever the last editor said",
       [](MainMenuFacts& f) {
         f.edit = {false, true, true, true};
       },
       {{"Undo", "grayed"},
        {"Redo", "grayed"},
        {"Cut", "grayed"},
        {"Copy", "grayed"},
        {"Delete", "grayed"},
        {"Paste", "enabled"},
        {"Time/Date", "enabled"},
        {"Find...", "enabled"},
        {"Go To Line...", "enabled"}}},
      {"theme Dark",
       [](MainMenuFacts& f) { f.theme = Theme::Dark; },
       {{"System", "enabled"}, {"Light", "enabled"}, {"Dark", "checked"}}},
      {"theme Light",
       [](MainMenuFacts& f) { f.theme = Theme::Light; },
       {{"System", "enabled"}, {"Light", "checked"}, {"Dark", "enabled"}}},
      {"toggles the other way",
       [](MainMenuFacts& f) {
         f.word_wrap = f.print_labels = false;
         f.always_on_top = true;
       },
       {{"Word Wrap", "enabled"}, {"Print File Name and Page Number", "enabled"}, {"Always on Top", "checked"}}},
  };
  for (const Case& c : cases) {
    MainMenuFacts facts = fresh();
    c.change(facts);
    const std::vector<MenuItem> menu = main_menu_items(facts);
    for (const auto& [label, expected] : c.looks) EXPECT_EQ(look(menu, label), expected) << c.what << ": " << label;
  }
}

TEST(MenuModel, ContextMenuIsTheEditSubmenuWithoutItsFindGroup) {
  for (const EditMenuFacts edit : {EditMenuFacts{}, EditMenuFacts{true, false, false, false},
                                   EditMenuFacts{true, true, false, true}, EditMenuFacts{true, true, true, false}}) {
    MainMenuFacts facts = fresh();
    facts.edit = edit;
    const std::vector<MenuItem> with_find = main_menu_items(facts).at(1).submenu;
    const std::vector<MenuItem> context = edit_menu_items(edit, false);
    EXPECT_EQ(edit_menu_items(edit, true), with_find);
    ASSERT_EQ(context.size(), 10u);
    EXPECT_EQ(context, std::vector<MenuItem>(with_find.begin(), with_find.begin() + 10));
    EXPECT_EQ(context.back().text, "Time/Date\tF5") << "the context menu ends without a separator";
  }
}

TEST(CoveredCommands, OnlyCommandsThatTouchTheTextWaitForIt) {
  // Every command number there is, and the menus' texts for reading the
  // failures; a command missing here fails the count below.
  struct Case {
    std::uint16_t command;
    bool needs_text;
  } cases[] = {
      {100, false},  // New Tab
      {101, false},  // Open: a file goes into a new, covered tab
      {102, true},   // Save
      {103, true},   // Save As
      {104, true},   // Close Tab: would save or throw away unseen text
      {105, false},  // Exit: the tabs are stored, not lost
      {106, true},   // Print
      {107, false},  // Print File Name and Page Number (a setting)
      {110, true},  {111, true},  {112, true},  {113, true},     {114, true},
      {115, true},  {116, true},  {117, true},                                  // Undo ... Time/Date
      {120, false}, {121, false}, {122, false}, {123, false},    {124, false},  // view
      {126, false},                                                             // Always on Top
      {128, false},                                                             // Privacy Settings
      {129, false},                                                             // Hide Now
      {130, false}, {131, false},                                               // next and previous tab
      {135, false}, {136, false}, {137, false},                                 // theme
      {140, false}, {141, false}, {142, false},                                 // password: each asks for it
      {150, true},  {151, true},  {152, true},  {153, true},     {154, true},   // find, replace, go to line
      {160, false}, {161, false}, {162, false},                                 // About, updates, install
      {0, false},   {108, false}, {163, false}, {0xFFFF, false},                // no command
  };
  std::size_t waiting = 0;
  for (const Case& c : cases) {
    EXPECT_EQ(needs_text_shown(c.command), c.needs_text) << c.command;
    waiting += c.needs_text;
  }
  std::size_t listed = 0;
  for (std::uint32_t id = 0; id <= 0xFFFF; ++id) listed += needs_text_shown(static_cast<std::uint16_t>(id));
  EXPECT_EQ(listed, waiting) << "a command waits for the text that the table above does not decide";
}

TEST(CoveredCommands, CtrlLIsHideNowAndNothingElse) {
  std::vector<std::uint16_t> commands;
  for (const AcceleratorEntry& e : accelerator_table) {
    if (e.key == 'L' && e.ctrl && !e.shift) commands.push_back(e.command);
  }
  ASSERT_EQ(commands, std::vector<std::uint16_t>{129});
}

}  // namespace
