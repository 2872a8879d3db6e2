// The main message loop. Each step either takes a message or lets it go on
// to the next; the order matters (a dialog's keys must never reach the
// accelerators).

#include <windows.h>

#include "app/message_loop.h"

#include <vector>

#include "app/accelerator_table.h"
#include "editor/editor.h"
#include "find/find_bar.h"
#include "model/app_state.h"
#include "model/find_bar_state.h"
#include "model/veil_state.h"
#include "privacy/private_clipboard.h"
#include "ui/window_slots.h"

namespace {

bool is_root_of(HWND dialog, const MSG& msg) { return dialog && GetAncestor(msg.hwnd, GA_ROOT) == dialog; }

bool dialog_takes(HWND dialog, MSG& msg) { return is_root_of(dialog, msg) && IsDialogMessageW(dialog, &msg); }

bool open_windows_take(MSG& msg) {
  const WindowSlots slots = window_slots();
  if (dialog_takes(slots.settings_window, msg)) return true;
  if (dialog_takes(slots.about_window, msg)) return true;
  if (is_root_of(slots.licenses_window, msg)) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      DestroyWindow(slots.licenses_window);
      return true;
    }
    if (IsDialogMessageW(slots.licenses_window, &msg)) return true;
  }
  return dialog_takes(slots.updates_window, msg);
}

bool key_down(int key) { return GetKeyState(key) < 0; }

// Escape closes the bar from the bar or the editor; in the two fields Tab
// goes to the other one and Enter searches or replaces.
bool find_bar_takes(const MSG& msg) {
  const FindBarState state = find_bar_state();
  if (msg.message != WM_KEYDOWN || !state.find_bar_shown || !state.window) return false;
  HWND bar = state.window;
  if (msg.wParam == VK_ESCAPE) {
    if (!IsChild(bar, msg.hwnd) && !is_active_editor(msg.hwnd)) return false;
    hide_find_bar();
    return true;
  }
  HWND find_field = GetDlgItem(bar, FIND_FIELD_ID);
  HWND replace_field = GetDlgItem(bar, REPLACE_FIELD_ID);
  if (msg.hwnd != find_field && msg.hwnd != replace_field) return false;
  if (msg.wParam == VK_TAB) {
    if (!state.replace_shown) return false;
    HWND other = msg.hwnd == find_field ? replace_field : find_field;
    SetFocus(other);
    SendMessageW(other, EM_SETSEL, 0, -1);
    return true;
  }
  if (msg.wParam == VK_RETURN) {
    if (msg.hwnd == replace_field) {
      replace_one();
    } else {
      find_step(!key_down(VK_SHIFT));
    }
    return true;
  }
  return false;
}

// The editor's own clipboard code never sees the copy and cut keys: they
// go to the private copy, which keeps the text out of clipboard history.
bool clipboard_keys_take(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !is_active_editor(msg.hwnd)) return false;
  const bool ctrl = key_down(VK_CONTROL), shift = key_down(VK_SHIFT), alt = key_down(VK_MENU);
  const WPARAM key = msg.wParam;
  if (ctrl && !shift && !alt && (key == 'C' || key == VK_INSERT)) {
    copy_private(msg.hwnd, false);
    return true;
  }
  if ((ctrl && !shift && !alt && key == 'X') || (shift && !ctrl && !alt && key == VK_DELETE)) {
    copy_private(msg.hwnd, true);
    return true;
  }
  return false;
}

bool zoom_wheel_takes(const MSG& msg) {
  if (msg.message != WM_MOUSEWHEEL || !key_down(VK_CONTROL) || !is_active_editor(msg.hwnd)) return false;
  const short delta = static_cast<short>(HIWORD(msg.wParam));
  set_zoom(current_zoom() + (delta > 0 ? 10 : -10));
  return true;
}

}  // namespace

HACCEL create_accelerators() {
  std::vector<ACCEL> entries;
  for (const AcceleratorEntry& e : accelerator_table) {
    BYTE flags = FVIRTKEY;
    if (e.ctrl) flags |= FCONTROL;
    if (e.shift) flags |= FSHIFT;
    entries.push_back(ACCEL{flags, e.key, e.command});
  }
  return CreateAcceleratorTableW(entries.data(), static_cast<int>(entries.size()));
}

int run_message_loop(HWND frame, HACCEL accelerators) {
  MSG msg{};
  while (true) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (open_windows_take(msg)) continue;
    if (find_bar_takes(msg)) continue;
    if (clipboard_keys_take(msg)) continue;
    if (zoom_wheel_takes(msg)) continue;
    if (accelerators && !veiled() && TranslateAcceleratorW(frame, accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
