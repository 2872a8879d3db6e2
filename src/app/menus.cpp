// The pop-up menus. What they hold is decided in the menu model from plain
// facts; this file gathers the facts from the state and the editor, turns
// the model into Win32 menus and tracks them.

#include <windows.h>

#include <richedit.h>

#include "app/menus.h"

#include "base/utf.h"
#include "editor/strip_layout.h"
#include "install/installer.h"
#include "model/app_state.h"
#include "model/veil_state.h"
#include "ui/dpi.h"
#include "ui/window_dpi.h"
#include "update/update_check.h"

namespace {

EditMenuFacts edit_facts(HWND editor) {
  EditMenuFacts facts;
  if (!editor) return facts;
  facts.has_editor = true;
  CHARRANGE selection{};
  SendMessageW(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
  facts.has_selection = selection.cpMin != selection.cpMax;
  facts.can_undo = SendMessageW(editor, EM_CANUNDO, 0, 0) != 0;
  facts.can_redo = SendMessageW(editor, EM_CANREDO, 0, 0) != 0;
  return facts;
}

struct Frame {
  HWND frame = nullptr;
  HWND tab_strip = nullptr;
  HWND editor = nullptr;
};

Frame frame_parts() {
  auto state = app_state().borrow();
  if (!state) return {};
  const Tab* tab = state->active_tab();
  return {state->frame, state->tab_strip, tab ? tab->editor : nullptr};
}

// The settings are read once, before the editor is asked anything.
MainMenuFacts main_facts() {
  MainMenuFacts facts;
  auto state = app_state().borrow();
  if (!state) return facts;
  const Config& config = state->config;
  facts.theme = config.theme;
  facts.word_wrap = config.word_wrap;
  facts.always_on_top = config.always_on_top;
  facts.print_labels = config.print_labels;
  facts.password_set = state->store && state->store->vault_key;
  facts.update_available = update_available();
  const InstalledCopy copy = installed_copy();
  facts.running_installed_copy = copy.running_installed_copy;
  facts.installed_copy_exists = copy.installed_copy_exists;
  return facts;
}

}  // namespace

HMENU build_menu(std::span<const MenuItem> items) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  for (const MenuItem& item : items) {
    if (item.separator) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const std::wstring text = to_wide(item.text);
    if (!item.submenu.empty()) {
      // A submenu that could not be built is left out; the rest still shows.
      if (HMENU sub = build_menu(item.submenu)) {
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), text.c_str());
      }
      continue;
    }
    AppendMenuW(menu, MF_STRING | (item.checked ? MF_CHECKED : 0), item.command, text.c_str());
  }
  // Grey states go on after every item exists.
  for (const MenuItem& item : items) {
    if (item.grayed && item.command) EnableMenuItem(menu, item.command, MF_BYCOMMAND | MF_GRAYED);
  }
  return menu;
}

HMENU build_edit_menu(HWND editor, bool with_find) {
  const std::vector<MenuItem> items = edit_menu_items(edit_facts(editor), with_find);
  return build_menu(items);
}

void track_menu(HMENU menu, int x, int y) {
  if (!menu) return;
  const HWND frame = frame_parts().frame;
  TrackPopupMenu(menu, 0, x, y, 0, frame, nullptr);
  DestroyMenu(menu);
}

void open_main_menu() {
  if (veiled()) return;
  MainMenuFacts facts = main_facts();
  const Frame parts = frame_parts();
  facts.edit = edit_facts(parts.editor);
  const std::vector<MenuItem> items = main_menu_items(facts);
  // Just below the left end of the strip, under its menu button.
  POINT at{0, scale_for_dpi(TAB_STRIP_HEIGHT, window_dpi(parts.frame))};
  ClientToScreen(parts.tab_strip, &at);
  track_menu(build_menu(items), at.x, at.y);
}

void show_context_menu(POINT at) {
  if (veiled()) return;
  const Frame parts = frame_parts();
  track_menu(build_edit_menu(parts.editor, false), at.x, at.y);
}
