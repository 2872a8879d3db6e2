// Single-instance hand-off over WM_COPYDATA to a message-only window. The
// window exists before the start-up password prompt, so paths sent while
// the first instance is still starting are queued rather than lost.
//
// The answer tells the sender whether the paths were taken. A first
// instance that cannot open them now (its frame is gone because it is
// closing, or a handler holds the state) refuses them, and the sender keeps
// them: it asks again, or opens them itself once this instance has ended.
// So a handed-over file is opened by one instance or the other, never by
// neither.

#include <windows.h>

#include "app/hand_off.h"

#include <utility>

#include "app/hand_off_payload.h"
#include "editor/tabs.h"
#include "model/app_state.h"
#include "ui/window_classes.h"

namespace {

std::vector<std::string> pending_open_paths;

// The frame while it can still take files: start-up has built the state,
// nobody holds it, and the frame has not been destroyed. Null otherwise.
HWND frame_taking_files() {
  HWND frame = nullptr;
  {
    auto state = app_state().try_borrow();
    if (state) frame = state->frame;
  }
  return frame && IsWindow(frame) ? frame : nullptr;
}

LRESULT on_copy_data(const COPYDATASTRUCT* data) {
  if (data == nullptr || data->dwData != HANDOFF_TAG) return FALSE;
  const auto* bytes = static_cast<const std::uint8_t*>(data->lpData);
  const std::vector<std::string> paths = decode_hand_off({bytes, bytes ? static_cast<std::size_t>(data->cbData) : 0});

  // Before start-up has built the state the paths wait for it; it opens
  // them after its own command line.
  if (!app_state().exists()) {
    pending_open_paths.insert(pending_open_paths.end(), paths.begin(), paths.end());
    return TRUE;
  }
  HWND frame = frame_taking_files();
  if (!frame) return FALSE;
  for (const std::string& path : paths) open_path(path);
  if (IsIconic(frame)) ShowWindow(frame, SW_RESTORE);
  SetForegroundWindow(frame);
  return TRUE;
}

LRESULT CALLBACK hand_off_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  if (message == WM_COPYDATA) return on_copy_data(reinterpret_cast<const COPYDATASTRUCT*>(lparam));
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

HWND create_hand_off_window() {
  register_window_class({HAND_OFF_CLASS, 0, hand_off_proc, false, false});
  return CreateWindowExW(0, HAND_OFF_CLASS, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                         nullptr);
}

bool send_hand_off(const std::vector<std::wstring>& paths) {
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
      // Zero also when the receiver ended before it answered.
      return SendMessageW(receiver, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) != FALSE;
    }
    Sleep(50);
  }
  return false;
}

std::vector<std::string> take_pending_open_paths() { return std::exchange(pending_open_paths, {}); }
