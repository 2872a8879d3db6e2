// The main message loop. Each step either takes a message or lets it go on
// to the next; the order matters (a dialog's keys must never reach the
// accelerators, and the copy keys must never reach the editor).

#include <windows.h>

#include "app/message_loop.h"

#include <vector>

#include "app/accelerator_table.h"
#include "app/frame.h"
#include "ui/window_slots.h"
#include "editor/editor.h"
#include "model/veil_state.h"

namespace {

bool is_root_of(HWND dialog, const MSG& msg) {
  return dialog && GetAncestor(msg.hwnd, GA_ROOT) == dialog;
}

bool dialog_takes(HWND dialog, MSG& msg) {
  return is_root_of(dialog, msg) && IsDialogMessageW(dialog, &msg);
}

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
    // The find bar's keys and the private clipboard keys are taken here once
    // those exist.
    if (zoom_wheel_takes(msg)) continue;
    if (accelerators && !veiled() && TranslateAcceleratorW(frame, accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
