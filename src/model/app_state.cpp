// The one cell of the frame's state.

#include <windows.h>

#include "model/app_state.h"

StateCell<AppState>& app_state() {
  static StateCell<AppState> cell;
  return cell;
}

HWND frame_window() {
  auto state = app_state().borrow();
  return state ? state->frame : nullptr;
}

HWND active_editor() {
  auto state = app_state().borrow();
  if (!state) return nullptr;
  const Tab* tab = state->active_tab();
  return tab ? tab->editor : nullptr;
}

bool is_active_editor(HWND window) {
  const HWND editor = active_editor();
  return editor && window == editor;
}
