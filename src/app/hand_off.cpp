// Single-instance hand-off over WM_COPYDATA to a message-only window. The
// window exists before the start-up password prompt, so paths sent while
// the first instance is still starting are queued rather than lost.

#include <windows.h>

#include "app/hand_off.h"

#include "model/app_state.h"
#include "app/hand_off_payload.h"
#include "ui/window_classes.h"
#include "editor/tabs.h"

namespace {

std::vector<std::string> pending_open_paths;

// Retries, without spinning, to open paths that arrived while a handler
// held the state.
constexpr UINT_PTR drain_timer = 1;
constexpr UINT drain_retry_ms = 100;

void open_handed_over(HWND frame, const std::vector<std::string>& paths) {
  for (const std::string& path : paths) open_path(path);
  if (IsIconic(frame)) ShowWindow(frame, SW_RESTORE);
  SetForegroundWindow(frame);
}

// The frame once start-up has built the state and nobody holds it; null
// otherwise.
HWND free_frame() {
  auto state = app_state().try_borrow();
  return state ? state->frame : nullptr;
}

void drain_pending(HWND window) {
  HWND frame = free_frame();
  if (!frame) return;
  KillTimer(window, drain_timer);
  if (!pending_open_paths.empty()) open_handed_over(frame, std::exchange(pending_open_paths, {}));
}

LRESULT on_copy_data(HWND window, const COPYDATASTRUCT* data) {
  if (data == nullptr || data->dwData != HANDOFF_TAG) return FALSE;
  const auto* bytes = static_cast<const std::uint8_t*>(data->lpData);
  const std::vector<std::string> paths =
      decode_hand_off({bytes, bytes ? static_cast<std::size_t>(data->cbData) : 0});

  // Before start-up has built the state the paths wait for it. A hand-off
  // may also arrive inside a modal loop of a handler that holds the state;
  // then they wait until that handler has returned.
  HWND frame = free_frame();
  if (!frame) {
    pending_open_paths.insert(pending_open_paths.end(), paths.begin(), paths.end());
    if (app_state().exists()) SetTimer(window, drain_timer, drain_retry_ms, nullptr);
    return TRUE;
  }
  open_handed_over(frame, paths);
  return TRUE;
}

LRESULT CALLBACK hand_off_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  if (message == WM_COPYDATA) return on_copy_data(window, reinterpret_cast<const COPYDATASTRUCT*>(lparam));
  if (message == WM_TIMER && wparam == drain_timer) {
    drain_pending(window);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

HWND create_hand_off_window() {
  register_window_class({HAND_OFF_CLASS, 0, hand_off_proc, false, false});
  return CreateWindowExW(0, HAND_OFF_CLASS, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

void send_hand_off(const std::vector<std::wstring>& paths) {
  std::wstring payload = encode_hand_off(paths);
  COPYDATASTRUCT data{};
  data.dwData = HANDOFF_TAG;
  data.cbData = static_cast<DWORD>(payload.size() * sizeof(wchar_t));
  data.lpData = payload.empty() ? nullptr : payload.data();

  for (int attempt = 0; attempt < 40; ++attempt) {
    HWND receiver = FindWindowExW(HWND_MESSAGE, nullptr, HAND_OFF_CLASS, nullptr);
    if (receiver) {
      DWORD process_id = 0;
      GetWindowThreadProcessId(receiver, &process_id);
      AllowSetForegroundWindow(process_id);
      SendMessageW(receiver, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
      return;
    }
    Sleep(50);
  }
}

std::vector<std::string> take_pending_open_paths() { return std::exchange(pending_open_paths, {}); }
