// One thread-local hook sees every window the GUI thread creates, and only
// that thread creates windows, so nothing escapes it: not the frame created
// at start, nor message boxes, prompts, common dialogs or menus.

#include <windows.h>

#include "privacy/capture.h"

#include "privacy/display_affinity.h"

namespace {

// Present exactly while the exclusion is on.
HHOOK capture_hook = nullptr;

LRESULT CALLBACK capture_hook_proc(int code, WPARAM wparam, LPARAM lparam) noexcept {
  if (code >= 0) {
    const auto* finished = reinterpret_cast<const CWPRETSTRUCT*>(lparam);
    if (finished->message == WM_CREATE && (GetWindowLongW(finished->hwnd, GWL_STYLE) & WS_CHILD) == 0) {
      set_display_affinity(finished->hwnd, AFFINITY_EXCLUDED);
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

BOOL CALLBACK set_affinity_of(HWND window, LPARAM affinity) noexcept {
  set_display_affinity(window, static_cast<DWORD>(affinity));
  return TRUE;
}

void set_affinity_of_thread_windows(DWORD affinity) {
  EnumThreadWindows(GetCurrentThreadId(), set_affinity_of, static_cast<LPARAM>(affinity));
}

}  // namespace

void apply_capture_exclusion(bool on) {
  if (capture_hook) {
    UnhookWindowsHookEx(capture_hook);
    capture_hook = nullptr;
  }
  if (on) capture_hook = SetWindowsHookExW(WH_CALLWNDPROCRET, capture_hook_proc, nullptr, GetCurrentThreadId());
  set_affinity_of_thread_windows(on ? AFFINITY_EXCLUDED : AFFINITY_NONE);
}

void reapply_capture_exclusion() {
  if (capture_hook) set_affinity_of_thread_windows(AFFINITY_EXCLUDED);
}
