// The About window: the version, what the program protects and what it does
// not, where it connects and where it keeps its data, with the two links and
// the button to the licences. Built from the measured texts, so a longer
// text moves everything below it down instead of being cut.

#include <windows.h>

#include <shellapi.h>

#include "about/about_window.h"

#include <memory>
#include <vector>

#include "about/about_layout.h"
#include "base/utf.h"
#include "model/maker_site.h"
#include "store/settings.h"
#include "ui/controls.h"
#include "ui/dialog_icon.h"
#include "ui/dpi.h"
#include "ui/window_dpi.h"
#include "ui/window_slots.h"
#include "update/update_text.h"
#include "update/version.h"

namespace {

// The open window's texts (its controls borrow them), layout and controls.
struct AboutState {
  AboutTexts texts;
  DialogLayout layout;
  std::vector<HWND> controls;
  HWND icon_control = nullptr;
  std::unique_ptr<DialogIcon> icon;
  std::string homepage;
  std::string updates_page;
};

// GUI thread only; present while the window exists.
std::unique_ptr<AboutState> about;

std::unique_ptr<AboutState> make_state() {
  auto state = std::make_unique<AboutState>();
  state->homepage = std::string(HOMEPAGE_URL);
  state->updates_page = updates_page_url(UPDATE_HOST);
  const std::string description = about_description();
  const std::string note = about_network_note(UPDATE_HOST, security_fixes_line(own_version()));
  const std::optional<std::string> data = data_folder();

  AboutTexts& t = state->texts;
  t.heading = to_wide(about_heading());
  t.homepage_label = L"Homepage:";
  t.homepage = to_wide(state->homepage);
  t.description = to_wide(description);
  t.network_note = to_wide(note);
  t.updates_label = L"Updates:";
  t.updates_page = to_wide(state->updates_page);
  t.data_label = L"Settings and session:";
  t.data_folder = data ? to_wide(*data) : L"%APPDATA%\\Nimbol";
  t.licenses_button = L"Third-Party Licenses";
  t.ok_button = L"OK";

  const AboutMeasures measures{
      .homepage_label_width = measure_text_width("Homepage:"),
      .homepage_width = measure_text_width(state->homepage),
      .description_height = measure_text_height(description, ABOUT_TEXT_WIDTH),
      .network_note_height = measure_text_height(note, ABOUT_TEXT_WIDTH),
      .updates_label_width = measure_text_width("Updates:"),
      .updates_page_width = measure_text_width(state->updates_page),
  };
  state->layout = about_layout(t, measures);
  return state;
}

void open_address(HWND window, const std::string& address) {
  ShellExecuteW(window, L"open", to_wide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// The icon is loaded again at the new size, not stretched from the old
// one: an icon drawn for 32 pixels looks blurred at 48.
void on_dpi_changed(HWND window, std::uint32_t dpi, const RECT& suggested) {
  if (!about) return;
  apply_dpi_change(window, suggested, about->layout.controls, about->controls);
  const int at = scale_for_dpi(ABOUT_ICON_MARGIN, dpi);
  const int side = scale_for_dpi(ABOUT_ICON_SIZE, dpi);
  if (!about->icon_control) return;
  SetWindowPos(about->icon_control, nullptr, at, at, side, side, SWP_NOZORDER | SWP_NOACTIVATE);
  // The control lets go of the old icon before its owner destroys it.
  auto icon = std::make_unique<DialogIcon>(true, side);
  SendMessageW(about->icon_control, STM_SETICON, reinterpret_cast<WPARAM>(icon->get()), 0);
  about->icon = std::move(icon);
}

LRESULT CALLBACK about_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  switch (message) {
    case WM_ACTIVATE:
      remember_focus(window, wparam, ABOUT_OK_ID);
      return 0;
    case WM_CLOSE:
      close_dialog_window(window);
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case ABOUT_OK_ID:
          close_dialog_window(window);
          return 0;
        case ABOUT_LICENSES_ID:
          open_licenses_window(window);
          return 0;
        case ABOUT_HOMEPAGE_ID:
          if (about) open_address(window, about->homepage);
          return 0;
        case ABOUT_UPDATES_PAGE_ID:
          if (about) open_address(window, about->updates_page);
          return 0;
        default:
          break;
      }
      break;
    case WM_DPICHANGED:
      on_dpi_changed(window, HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(ABOUT_OK_ID, DC_HASDEFID);
    case WM_DESTROY:
      if (window_slots().about_window == window) window_slots().about_window = nullptr;
      about.reset();
      break;
    default:
      break;
  }
  if (auto handled = dialog_base_proc(window, message, wparam, lparam)) return *handled;
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

void open_about_window(HWND frame) {
  if (HWND open = window_slots().about_window) {
    SetForegroundWindow(open);
    return;
  }
  std::unique_ptr<AboutState> state = make_state();
  auto created =
      create_dialog_window(ABOUT_CLASS, "About Nimbol", about_proc, frame, state->layout.width, state->layout.height);
  if (!created) return;
  HWND window = *created;
  about = std::move(state);
  window_slots().about_window = window;
  about->controls = create_controls(window, about->layout.controls);
  about->icon = std::make_unique<DialogIcon>(true, scale_for_dpi(ABOUT_ICON_SIZE, window_dpi(window)));
  about->icon_control = add_dialog_icon(window, about->icon->get(), ABOUT_ICON_MARGIN, ABOUT_ICON_SIZE);
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
}
