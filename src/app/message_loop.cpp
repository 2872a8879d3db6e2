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

// Escape closes the bar from the bar or the editor. In the bar, Tab and
// Shift+Tab go from control to control and Alt with a letter uses a
// mnemonic, as in a dialog; in a field Enter searches or replaces, on a
// button it presses the button.
bool find_bar_takes(const MSG& msg) {
  const FindBarState state = find_bar_state();
  if (!state.find_bar_shown || !state.window) return false;
  HWND bar = state.window;
  // The character, not the key: the key goes on to the window, so that the
  // system sees Alt used with a letter and does not open the menu for Alt.
  if (msg.message == WM_SYSCHAR && IsChild(bar, msg.hwnd) && !key_down(VK_CONTROL)) {
    return find_bar_mnemonic(static_cast<wchar_t>(msg.wParam));
  }
  if (msg.message != WM_KEYDOWN) return false;
  if (msg.wParam == VK_ESCAPE) {
    if (!IsChild(bar, msg.hwnd) && !is_active_editor(msg.hwnd)) return false;
    hide_find_bar();
    return true;
  }
  if (!IsChild(bar, msg.hwnd)) return false;
  if (msg.wParam == VK_TAB && !key_down(VK_CONTROL) && !key_down(VK_MENU)) {
    return find_bar_tab(msg.hwnd, key_down(VK_SHIFT));
  }
  if (msg.wParam != VK_RETURN) return false;
  HWND find_field = GetDlgItem(bar, FIND_FIELD_ID);
  HWND replace_field = GetDlgItem(bar, REPLACE_FIELD_ID);
  if (msg.hwnd == replace_field) {
    replace_one();
  } else if (msg.hwnd == find_field) {
    find_step(!key_down(VK_SHIFT));
  } else if (GetDlgCtrlID(msg.hwnd) != FIND_MATCH_CASE_ID) {
    SendMessageW(msg.hwnd, BM_CLICK, 0, 0);
  } else {
    return false;
  }
  return true;
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
    if (zoom_wheel_takes(msg)) continue;
    if (accelerators && !veiled() && TranslateAcceleratorW(frame, accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  clear_private_copy_at_exit();
  return static_cast<int>(msg.wParam);
}
