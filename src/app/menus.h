#pragma once
// The main menu and the edit menu: built from the current settings and
// editor each time one opens, and destroyed as soon as it closes.

#include <windows.h>

#include <span>

#include "app/menu_model.h"

// The main menu, below the tab strip's menu button. Nothing while veiled.
// The frame hands it down to the strip's button as a hook.
void open_main_menu();

// The editor's context menu at `at` (screen coordinates). Nothing while
// veiled.
void show_context_menu(POINT at);

// The edit menu for `editor` (null: no active tab).
HMENU build_edit_menu(HWND editor, bool with_find);

// A Win32 pop-up menu holding `items`; check marks and grey states applied.
HMENU build_menu(std::span<const MenuItem> items);

// Shows the menu with the frame as owner, then destroys it and its submenus.
// A chosen item reaches the frame as WM_COMMAND.
void track_menu(HMENU menu, int x, int y);
