// The updates window. Only one exists; it is modeless, so the frame stays
// usable while it is open, and it shows whatever the GUI thread knows of the
// checks each time that changes.

#include <windows.h>

#include <shellapi.h>

#include "update/updates_window.h"

#include <array>
#include <string>
#include <vector>

#include "base/utf.h"
#include "model/maker_site.h"
#include "ui/controls.h"
#include "ui/window_slots.h"
#include "update/update_check.h"
#include "update/update_registry.h"
#include "update/update_text.h"

namespace {

enum : std::int32_t {
  CLOSE_ID = 2,
  STATE_TEXT_ID = 100,
  AUTO_CHECK_ID = 101,
  CHECK_NOW_ID = 102,
  OPEN_PAGE_ID = 103,
};

constexpr std::int32_t window_width = 460;
constexpr std::int32_t window_height = 236;

// The controls of the open window, with the texts they were made from.
struct OpenControls {
  std::wstring heading;
  std::wstring security_line;
  std::array<ControlSpec, 7> specs{};
  std::vector<HWND> handles;
};

OpenControls& open_controls() {
  static OpenControls controls;
  return controls;
}

void build_specs(OpenControls& c) {
  c.heading = to_wide("Nimbol " + std::string(PRODUCT_VERSION));
  c.security_line = to_wide(security_fixes_line(own_version()));
  // clang-format off
  c.specs = {{
      {.kind = ControlKind::Heading, .text = c.heading.c_str(), .x = 12, .y = 12, .width = 420, .height = 30},
      {.kind = ControlKind::Label, .text = c.security_line.c_str(), .x = 12, .y = 48, .width = 420, .height = 18},
      {.kind = ControlKind::Label, .id = STATE_TEXT_ID, .x = 12, .y = 74, .width = 420, .height = 36},
      {.kind = ControlKind::CheckBox, .text = L"Check Automatically Once a Day", .id = AUTO_CHECK_ID, .x = 12, .y = 118, .width = 420, .height = 22},
      {.kind = ControlKind::Button, .text = L"Check Now", .id = CHECK_NOW_ID, .x = 12, .y = 156, .width = 100, .height = 26},
      {.kind = ControlKind::Button, .text = L"Open Updates Page", .id = OPEN_PAGE_ID, .x = 120, .y = 156, .width = 140, .height = 26},
      {.kind = ControlKind::Button, .text = L"Close", .id = CLOSE_ID, .x = 352, .y = 156, .width = 80, .height = 26},
  }};
  // clang-format on
}

// A button that is disabled while it has the focus would leave the keyboard
// nowhere; the focus moves on first.
void enable_control(HWND window, std::int32_t id, bool enabled) {
  HWND control = GetDlgItem(window, id);
  if (!control) return;
  if (!enabled && GetFocus() == control) SendMessageW(window, WM_NEXTDLGCTL, 0, FALSE);
  EnableWindow(control, enabled);
}

void on_auto_check_clicked(HWND window) {
  const bool on = SendDlgItemMessageW(window, AUTO_CHECK_ID, BM_GETCHECK, 0, 0) == BST_CHECKED;
  write_update_value(UPDATE_CHECK_VALUE, stored_update_setting(on));
  refresh_updates_window();
}

void open_updates_page(HWND window) {
  const std::wstring url = to_wide(updates_page_url(UPDATE_HOST));
  ShellExecuteW(window, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void on_dpi_changed(HWND window, LPARAM lparam) {
  const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
  SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
               suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  const OpenControls& c = open_controls();
  relayout_controls(window, c.specs, c.handles);
}

LRESULT CALLBACK updates_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  switch (message) {
    case WM_ACTIVATE:
      remember_focus(window, wparam, CHECK_NOW_ID);
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case AUTO_CHECK_ID:
          on_auto_check_clicked(window);
          return 0;
        case CHECK_NOW_ID:
          if (start_update_check(GetWindow(window, GW_OWNER))) refresh_updates_window();
          return 0;
        case OPEN_PAGE_ID:
          open_updates_page(window);
          return 0;
        case CLOSE_ID:
          close_dialog_window(window);
          return 0;
        default:
          break;
      }
      break;
    case WM_CLOSE:
      close_dialog_window(window);
      return 0;
    case WM_DESTROY:
      window_slots().updates_window = nullptr;
      open_controls().handles.clear();
      break;
    case WM_DPICHANGED:
      on_dpi_changed(window, lparam);
      return 0;
    default:
      break;
  }
  if (auto handled = dialog_base_proc(window, message, wparam, lparam)) return *handled;
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

void open_updates_window(HWND frame) {
  if (HWND open = window_slots().updates_window) {
    SetForegroundWindow(open);
    return;
  }
  OpenControls& c = open_controls();
  build_specs(c);
  auto created = create_dialog_window(UPDATES_WINDOW_CLASS, "Check for Updates", updates_window_proc, frame,
                                      window_width, window_height);
  if (!created) return;
  HWND window = *created;
  window_slots().updates_window = window;
  c.handles = create_controls(window, c.specs);
  refresh_updates_window();
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
}

void refresh_updates_window() {
  HWND window = window_slots().updates_window;
  if (!window) return;
  const UpdateStatus now = update_status();
  const UpdatesView view = updates_view(
      {now.running, now.last, update_check_setting(), read_update_value(UPDATE_CHECKED_VALUE)}, UPDATE_HOST);
  set_control_text(window, STATE_TEXT_ID, view.state_text);
  CheckDlgButton(window, AUTO_CHECK_ID, view.auto_check ? BST_CHECKED : BST_UNCHECKED);
  enable_control(window, CHECK_NOW_ID, view.check_now_enabled);
  enable_control(window, OPEN_PAGE_ID, view.open_page_enabled);
}

void on_update_result(HWND frame) {
  if (take_update_result()) open_updates_window(frame);
  refresh_updates_window();
}
