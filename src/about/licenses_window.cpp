// The licences viewer: the notices and licences of the open-source
// components inside the program, in a read-only text view.

#include <windows.h>

#include <memory>
#include <vector>

#include "about/about_layout.h"
#include "about/about_window.h"
#include "about/licenses.h"
#include "base/utf.h"
#include "ui/controls.h"
#include "ui/window_slots.h"

namespace {

struct LicensesState {
  std::wstring text;
  DialogLayout layout;
  std::vector<HWND> controls;
};

// GUI thread only; present while the viewer exists.
std::unique_ptr<LicensesState> viewer;

LRESULT CALLBACK licenses_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  switch (message) {
    case WM_ACTIVATE:
      remember_focus(window, wparam, ABOUT_OK_ID);
      return 0;
    case WM_CLOSE:
      close_dialog_window(window);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wparam) == ABOUT_OK_ID) {
        close_dialog_window(window);
        return 0;
      }
      break;
    case WM_DPICHANGED:
      if (viewer)
        apply_dpi_change(window, *reinterpret_cast<const RECT*>(lparam), viewer->layout.controls, viewer->controls);
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(ABOUT_OK_ID, DC_HASDEFID);
    case WM_DESTROY:
      if (window_slots().licenses_window == window) window_slots().licenses_window = nullptr;
      viewer.reset();
      break;
    default:
      break;
  }
  if (auto handled = dialog_base_proc(window, message, wparam, lparam)) return *handled;
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

void open_licenses_window(HWND owner) {
  if (HWND open = window_slots().licenses_window) {
    SetForegroundWindow(open);
    return;
  }
  auto state = std::make_unique<LicensesState>();
  state->text = to_wide(licenses_text());
  state->layout = licenses_layout(state->text.c_str(), L"OK");
  auto created = create_dialog_window(LICENSES_CLASS, "Third-Party Licenses", licenses_proc, owner, state->layout.width,
                                      state->layout.height);
  if (!created) return;
  HWND window = *created;
  viewer = std::move(state);
  window_slots().licenses_window = window;
  viewer->controls = create_controls(window, viewer->layout.controls);
  // The text is what the window is for: Tab reaches it, so that the keys
  // that scroll and select it are not for mouse users only.
  if (HWND text = GetDlgItem(window, LICENSES_TEXT_ID)) {
    SetWindowLongPtrW(text, GWL_STYLE, GetWindowLongPtrW(text, GWL_STYLE) | WS_TABSTOP);
  }
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  // The list of components, not the end of the text, comes first.
  if (HWND text = GetDlgItem(window, LICENSES_TEXT_ID)) SendMessageW(text, EM_SETSEL, 0, 0);
}
