#pragma once
// The two pop-up menus as data: which items they hold, in which order, and
// which are checked or grayed, computed from a handful of facts about the
// settings and the active editor. The window layer turns the tree into a
// Win32 menu when the menu opens and throws it away when it closes.

#include <cstdint>
#include <string>
#include <vector>

#include "model/config.h"

// One line of a menu: a command, a separator or a submenu.
struct MenuItem {
  std::string text;           // UTF-8; a tab separates the shortcut shown at the right
  std::uint16_t command = 0;  // 0 for separators and submenus
  bool checked = false;
  bool grayed = false;
  bool separator = false;
  std::vector<MenuItem> submenu;  // non-empty: the item opens this submenu

  bool operator==(const MenuItem&) const = default;
};

// What the edit menu depends on: the active editor, if there is one.
struct EditMenuFacts {
  bool has_editor = false;
  bool can_undo = false;       // EM_CANUNDO
  bool can_redo = false;       // EM_CANREDO
  bool has_selection = false;  // the selection's start and end differ
};

// What the main menu depends on, read once when it opens.
struct MainMenuFacts {
  Theme theme = Theme::System;
  bool word_wrap = false;
  bool always_on_top = false;
  bool print_labels = false;
  bool password_set = false;            // the session store holds a key
  bool update_available = false;        // the last finished update check found a newer version
  bool running_installed_copy = false;  // this program is the installed copy
  bool installed_copy_exists = false;
  EditMenuFacts edit;
};

// The edit menu; with_find adds the find group (the main menu's Edit
// submenu has it, the editor's context menu does not).
std::vector<MenuItem> edit_menu_items(const EditMenuFacts& facts, bool with_find);

// The main menu: File, Edit (with the find group) and View submenus, then
// the privacy items (settings, password, Hide Now), then the update,
// install and about items.
std::vector<MenuItem> main_menu_items(const MainMenuFacts& facts);
