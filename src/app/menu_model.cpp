// The menus are rebuilt every time they open, so their contents are a
// function of the moment's facts. Keeping that function apart from the
// Win32 menu calls lets the item lists and their enable rules be read back
// in a test instead of by opening menus on screen.

#include "app/menu_model.h"

#include <utility>

#include "ui/command_ids.h"

namespace {

MenuItem command(std::string text, std::uint16_t id, bool checked = false, bool grayed = false) {
  return {std::move(text), id, checked, grayed, false, {}};
}

MenuItem separator() { return {{}, 0, false, false, true, {}}; }

MenuItem submenu(std::string text, std::vector<MenuItem> items) {
  return {std::move(text), 0, false, false, false, std::move(items)};
}

std::vector<MenuItem> file_menu(const MainMenuFacts& facts) {
  return {
      command("New Tab\tCtrl+N", CMD_NEW_TAB),
      command("Open...\tCtrl+O", CMD_OPEN),
      command("Save\tCtrl+S", CMD_SAVE),
      command("Save As...\tCtrl+Shift+S", CMD_SAVE_AS),
      command("Print...\tCtrl+P", CMD_PRINT),
      command("Print File Name and Page Number", CMD_PRINT_LABELS, facts.print_labels),
      separator(),
      command("Close Tab\tCtrl+W", CMD_CLOSE_TAB),
      command("Exit\tAlt+F4", CMD_EXIT),
  };
}

std::vector<MenuItem> view_menu(const MainMenuFacts& facts) {
  return {
      command("Word Wrap", CMD_WORD_WRAP, facts.word_wrap),
      command("Font...", CMD_FONT),
      separator(),
      command("Zoom In\tCtrl+Plus", CMD_ZOOM_IN),
      command("Zoom Out\tCtrl+Minus", CMD_ZOOM_OUT),
      command("Restore Default Zoom\tCtrl+0", CMD_ZOOM_RESET),
      separator(),
      submenu("Theme",
              {
                  command("System", CMD_THEME_SYSTEM, facts.theme == Theme::System),
                  command("Light", CMD_THEME_LIGHT, facts.theme == Theme::Light),
                  command("Dark", CMD_THEME_DARK, facts.theme == Theme::Dark),
              }),
      command("Always on Top", CMD_ALWAYS_ON_TOP, facts.always_on_top),
  };
}

}  // namespace

std::vector<MenuItem> edit_menu_items(const EditMenuFacts& facts, bool with_find) {
  // Without an editor there is nothing to undo or to cut; Paste, Select All
  // and the rest stay enabled and simply do nothing then.
  const bool no_undo = !facts.has_editor || !facts.can_undo;
  const bool no_redo = !facts.has_editor || !facts.can_redo;
  const bool nothing_selected = !facts.has_editor || !facts.has_selection;
  std::vector<MenuItem> items = {
      command("Undo\tCtrl+Z", CMD_UNDO, false, no_undo),
      command("Redo\tCtrl+Y", CMD_REDO, false, no_redo),
      separator(),
      command("Cut\tCtrl+X", CMD_CUT, false, nothing_selected),
      command("Copy\tCtrl+C", CMD_COPY, false, nothing_selected),
      command("Paste\tCtrl+V", CMD_PASTE),
      command("Delete\tDel", CMD_DELETE, false, nothing_selected),
      separator(),
      command("Select All\tCtrl+A", CMD_SELECT_ALL),
      command("Time/Date\tF5", CMD_TIME_DATE),
  };
  if (with_find) {
    items.push_back(separator());
    items.push_back(command("Find...\tCtrl+F", CMD_FIND));
    items.push_back(command("Find Next\tF3", CMD_FIND_NEXT));
    items.push_back(command("Find Previous\tShift+F3", CMD_FIND_PREV));
    items.push_back(command("Replace...\tCtrl+H", CMD_REPLACE));
    items.push_back(command("Go To Line...\tCtrl+G", CMD_GO_TO_LINE));
  }
  return items;
}

std::vector<MenuItem> main_menu_items(const MainMenuFacts& facts) {
  std::vector<MenuItem> items = {
      submenu("File", file_menu(facts)),
      submenu("Edit", edit_menu_items(facts.edit, true)),
      submenu("View", view_menu(facts)),
      separator(),
      command("Privacy Settings...", CMD_PRIVACY_SETTINGS),
  };
  if (facts.password_set) {
    items.push_back(command("Change Password...", CMD_CHANGE_PASSWORD));
    items.push_back(command("Remove Password...", CMD_REMOVE_PASSWORD));
  } else {
    items.push_back(command("Set Password...", CMD_SET_PASSWORD));
  }
  items.push_back(command("Hide Now\tCtrl+L", CMD_HIDE_NOW));
  items.push_back(separator());
  items.push_back(command(facts.update_available ? "Update Available..." : "Check for Updates...", CMD_UPDATES));
  // The installed copy has nothing to install; any other copy offers to
  // install itself, or to replace the installed one.
  if (!facts.running_installed_copy) {
    items.push_back(
        command(facts.installed_copy_exists ? "Update Installed Nimbol..." : "Install Nimbol...", CMD_INSTALL));
  }
  items.push_back(command("About Nimbol", CMD_ABOUT));
  return items;
}
