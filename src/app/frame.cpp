// The frame window: places its children, turns window messages into calls of
// the parts that own the behaviour, and runs the closing sequence that keeps
// the user's text.

#include <windows.h>

#include <shellapi.h>
#include <wtsapi32.h>

#include "app/frame.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/frame_messages.h"
#include "app/menus.h"
#include "base/utf.h"
#include "editor/editor.h"
#include "editor/strip_layout.h"
#include "editor/tabs.h"
#include "find/find_bar.h"
#include "model/app_state.h"
#include "model/find_bar_state.h"
#include "model/frame_hooks.h"
#include "model/suppress_change.h"
#include "model/veil_state.h"
#include "privacy/capture.h"
#include "privacy/idle.h"
#include "privacy/relock.h"
#include "privacy/veil.h"
#include "store/session_store.h"
#include "store/settings_change.h"
#include "text/editor_text.h"
#include "ui/dpi.h"
#include "ui/message_box.h"
#include "ui/theme.h"
#include "ui/window_dpi.h"
#include "update/update_check.h"
#include "update/updates_window.h"

namespace {

constexpr int status_bar_height = 24;

struct ChildWindows {
  HWND frame, tab_strip, veil, status_bar, editor;
};

ChildWindows child_windows() {
  auto state = app_state().borrow();
  if (!state) return {};
  const Tab* tab = state->active_tab();
  return {state->frame, state->tab_strip, state->veil, state->status_bar, tab ? tab->editor : nullptr};
}

void move_child(HWND child, int x, int y, int width, int height) {
  if (child) SetWindowPos(child, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Whether a modified tab holds text that only the session store would have
// kept.
bool unsaved_text_would_be_lost() {
  std::vector<HWND> editors;
  {
    auto state = app_state().borrow();
    if (!state) return false;
    for (const Tab& tab : state->tabs) {
      if (tab.dirty && tab.editor) editors.push_back(tab.editor);
    }
  }
  return std::any_of(editors.begin(), editors.end(), [](HWND editor) { return editor_has_text(editor); });
}

void on_close(HWND frame) {
  // Every tab is kept by the session store; only when that cannot be done
  // and unsaved text would be lost does closing need the user's word.
  if (!store_session() && unsaved_text_would_be_lost()) {
    const std::size_t answer = message_box(
        frame, false,
        "Nimbol could not store its tabs, so the text that is not saved as a file would be lost.\n\nClose anyway?",
        {"Close Anyway", "Cancel"}, 1, 1);
    if (answer != 0) return;
  }

  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (GetWindowPlacement(frame, &placement)) {
    const RECT& r = placement.rcNormalPosition;
    change_settings([&](Config& config) {
      config.window = WindowPos{r.left, r.top, r.right, r.bottom, placement.showCmd == SW_SHOWMAXIMIZED};
    });
  }
  DestroyWindow(frame);
}

void on_set_focus() {
  const ChildWindows children = child_windows();
  if (veiled()) {
    if (children.veil) SetFocus(children.veil);
  } else if (children.editor) {
    SetFocus(children.editor);
  }
}

LRESULT on_command(WPARAM wparam, LPARAM lparam) {
  if (lparam == 0) {
    dispatch_command(LOWORD(wparam));
    return 0;
  }
  if (HIWORD(wparam) == EN_CHANGE && !change_suppressed()) {
    mark_modified(reinterpret_cast<HWND>(lparam));
  }
  return 0;
}

void on_dpi_changed(HWND frame, LPARAM lparam) {
  const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
  SetWindowPos(frame, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
               suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  Config config;
  {
    auto state = app_state().borrow();
    if (!state) return;
    config = state->config;
  }
  apply_editor_font(create_editor_font(config.font_face, config.font_size, window_dpi(frame)));
  relayout_find_bar();
  layout();
}

// Where the context menu opens: at the mouse, or for a menu opened from the
// keyboard (Shift+F10, the menu key: no position) at the caret.
POINT context_menu_point(LPARAM lparam) {
  POINT at{};
  const HWND editor = active_editor();
  if (lparam == -1 && editor && GetFocus() == editor && GetCaretPos(&at)) {
    ClientToScreen(editor, &at);
    return at;
  }
  GetCursorPos(&at);
  return at;
}

void invalidate_status_bar() {
  if (const HWND status = child_windows().status_bar) InvalidateRect(status, nullptr, FALSE);
}

Reveal reveal_setting() {
  auto state = app_state().borrow();
  return state ? state->config.reveal : Reveal::Focus;
}

// Where the active editor goes: below the strip and the find bar, above the
// status bar.
RECT editor_area(HWND frame) {
  const UINT dpi = window_dpi(frame);
  RECT client{};
  GetClientRect(frame, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  const int strip = std::min(scale_for_dpi(TAB_STRIP_HEIGHT, dpi), height);
  const int find_bar = scale_for_dpi(find_bar_rows(), dpi);
  const int top = strip + find_bar;
  return {0, top, width, top + std::max(0, height - top - scale_for_dpi(status_bar_height, dpi))};
}

void place_editor_in_frame(HWND editor) {
  HWND frame = nullptr;
  {
    auto state = app_state().borrow();
    if (!state) return;
    frame = state->frame;
  }
  const RECT area = editor_area(frame);
  move_child(editor, area.left, area.top, area.right - area.left, area.bottom - area.top);
}

void layout_children() {
  const ChildWindows c = child_windows();
  if (!c.frame) return;
  const UINT dpi = window_dpi(c.frame);
  auto S = [dpi](int value) { return scale_for_dpi(value, dpi); };

  RECT client{};
  GetClientRect(c.frame, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;

  const RECT editor = editor_area(c.frame);
  const int strip = std::min(S(TAB_STRIP_HEIGHT), height);
  move_child(c.tab_strip, 0, 0, width, strip);
  move_child(find_bar_state().window, 0, strip, width, editor.top - strip);
  move_child(c.editor, editor.left, editor.top, editor.right - editor.left, editor.bottom - editor.top);
  move_child(c.status_bar, 0, height - S(status_bar_height), width, S(status_bar_height));
  move_child(c.veil, 0, 0, width, height);
  if (veiled()) refresh_veil_layout();
}

void refresh_frame_title() {
  HWND frame = nullptr, strip = nullptr, status = nullptr;
  std::string title = "Nimbol";
  {
    auto state = app_state().borrow();
    if (!state) return;
    frame = state->frame;
    strip = state->tab_strip;
    status = state->status_bar;
    if (const Tab* tab = state->active_tab(); tab && !veiled()) {
      title = tab_title(*tab) + " - Nimbol";
    }
  }
  if (strip) InvalidateRect(strip, nullptr, FALSE);
  if (status) InvalidateRect(status, nullptr, FALSE);
  SetWindowTextW(frame, to_wide(title).c_str());
}

// The paths of a drop from Explorer, read before the drop's memory is freed.
std::vector<std::string> dropped_paths(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) continue;
    std::wstring path(length + 1, L'\0');
    const UINT copied = DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(std::min(copied, length));
    if (!path.empty()) paths.push_back(to_utf8(path));
  }
  return paths;
}

// Dropped files open as files named on the command line do. Not while the
// text is covered: a tab opened then would come up under the veil, and the
// person at the window may not be the one who covered it. A message box for
// one file lets the user leave the window, so the cover is asked again
// before each file.
void open_dropped_files(HDROP drop) {
  std::vector<std::string> paths;
  if (!veiled()) paths = dropped_paths(drop);
  DragFinish(drop);
  for (const std::string& path : paths) {
    if (veiled()) break;
    open_path(path);
  }
}

}  // namespace

void install_frame_hooks() {
  set_frame_hooks({.layout = layout_children,
                   .refresh_title = refresh_frame_title,
                   .place_editor = place_editor_in_frame,
                   .show_main_menu = open_main_menu});
}

void apply_keep_on_top() {
  HWND frame = nullptr;
  bool on_top = false;
  {
    auto state = app_state().borrow();
    if (!state) return;
    frame = state->frame;
    on_top = state->config.always_on_top;
  }
  SetWindowPos(frame, on_top ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

LRESULT CALLBACK frame_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  // While CreateWindowExW of the frame runs there is no state yet.
  if (!app_state().exists()) return DefWindowProcW(window, message, wparam, lparam);

  switch (message) {
    case WM_DESTROY:
      stop_update_results();
      PostQuitMessage(0);
      return 0;
    case WM_SIZE:
      if (wparam == SIZE_MINIMIZED) {
        cover();
      } else {
        layout();
      }
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE && HIWORD(wparam) == 0 && reveal_setting() == Reveal::Focus) {
        request_reveal(false);
      }
      break;
    case WM_ACTIVATEAPP:
      if (!wparam) {
        veil_state().unlock_prompt_dismissed = false;
        cover();
      }
      return 0;
    case WM_WTSSESSION_CHANGE:
      if (wparam == WTS_CONSOLE_DISCONNECT || wparam == WTS_REMOTE_DISCONNECT || wparam == WTS_SESSION_LOCK) {
        cover();
      }
      return 0;
    case WM_APP_COVER:
      if (wparam) {
        hide_now();
      } else {
        cover();
      }
      return 0;
    case WM_APP_UNLOCK:
      on_unlock_request();
      return 0;
    case WM_ENTERIDLE:
      reapply_capture_exclusion();
      return 0;
    case WM_APP_UPDATE_RESULT:
      on_update_result(window);
      return 0;
    case WM_CONTEXTMENU:
      if (veiled()) break;
      show_context_menu(context_menu_point(lparam));
      return 0;
    case WM_NOTIFY:
      if (reinterpret_cast<const NMHDR*>(lparam)->code == EN_SELCHANGE) {
        invalidate_status_bar();
        return 0;
      }
      break;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_KEYMENU && lparam == 0) {
        // Alt or F10 alone; never while the text is veiled.
        open_main_menu();
        return 0;
      }
      break;
    case WM_SETFOCUS:
      on_set_focus();
      return 0;
    case WM_CLOSE:
      on_close(window);
      return 0;
    case WM_QUERYENDSESSION:
      // The program never holds up a log-off or shutdown, but keeps the tabs.
      static_cast<void>(store_session());
      return TRUE;
    case WM_TIMER:
      if (wparam == TIMER_STORE) {
        on_store_timer();
        return 0;
      }
      if (wparam == TIMER_IDLE) {
        idle_check();
        return 0;
      }
      if (wparam == TIMER_UPDATE) {
        if (maybe_check_for_updates(window)) refresh_updates_window();
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      return 1;  // the children cover the client area
    case WM_SETTINGCHANGE:
      if (lparam != 0 && wcscmp(reinterpret_cast<const wchar_t*>(lparam), L"ImmersiveColorSet") == 0) {
        on_setting_change(reinterpret_cast<const wchar_t*>(lparam));
        return 0;
      }
      break;
    case WM_COMMAND:
      return on_command(wparam, lparam);
    case WM_DPICHANGED:
      on_dpi_changed(window, lparam);
      return 0;
    case WM_DROPFILES:
      open_dropped_files(reinterpret_cast<HDROP>(wparam));
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}
