#include <windows.h>

#include "privacy/settings_window.h"

#include <array>
#include <string>
#include <vector>

#include "model/app_state.h"
#include "model/config.h"
#include "model/veil_state.h"
#include "privacy/capture.h"
#include "privacy/idle.h"
#include "privacy/relock.h"
#include "privacy/relock_rules.h"
#include "privacy/settings_form.h"
#include "privacy/veil.h"
#include "store/settings.h"
#include "ui/controls.h"
#include "ui/message_box.h"
#include "ui/window_slots.h"

namespace {

enum : std::int32_t {
  ID_HIDE_TEXT = 3000,
  ID_REVEAL_FOCUS = 3001,
  ID_REVEAL_CLICK = 3002,
  ID_REVEAL_KEY = 3003,
  ID_CTRL = 3004,
  ID_ALT = 3005,
  ID_SHIFT = 3006,
  ID_KEY = 3007,
  ID_MASK_BARS = 3010,
  ID_MASK_BLANK = 3011,
  ID_IDLE = 3012,
  ID_RELOCK = 3013,
  ID_RELOCK_MINUTES = 3014,
  ID_CAPTURE = 3015,
  ID_CLIPBOARD_CLEAR = 3016,
  ID_SAVE = 3020,
};

constexpr std::int32_t window_width = 380;
constexpr std::int32_t window_height = 528;

using K = ControlKind;
const std::array<ControlSpec, 24> controls = {{
    {K::CheckBox, false, 0, L"Hide the Text When the Window Is Not in Use", ID_HIDE_TEXT, 12, 12, 340, 22},
    {K::Label, false, 0, L"Show hidden text again on:", 0, 12, 48, 300, 18},
    {K::Radio, true, 0, L"Switching to the Window", ID_REVEAL_FOCUS, 12, 70, 300, 22},
    {K::Radio, false, 0, L"A Click in the Window", ID_REVEAL_CLICK, 12, 94, 300, 22},
    {K::Radio, false, 0, L"A Key Press:", ID_REVEAL_KEY, 12, 118, 300, 22},
    {K::CheckBox, false, 0, L"Ctrl", ID_CTRL, 32, 144, 55, 22},
    {K::CheckBox, false, 0, L"Alt", ID_ALT, 90, 144, 55, 22},
    {K::CheckBox, false, 0, L"Shift", ID_SHIFT, 148, 144, 60, 22},
    {K::Label, false, 0, L"+", 0, 211, 147, 10, 18},
    {K::ShortEdit, false, 1, L"", ID_KEY, 224, 144, 30, 22},
    {K::Label, false, 0, L"Hidden text looks like:", 0, 12, 184, 300, 18},
    {K::Radio, true, 0, L"Redaction Bars", ID_MASK_BARS, 12, 206, 140, 22},
    {K::Radio, false, 0, L"Blank", ID_MASK_BLANK, 160, 206, 100, 22},
    {K::Label, false, 0, L"Also hide after seconds idle (0 = never):", 0, 12, 247, 280, 18},
    {K::ShortEdit, true, 4, L"", ID_IDLE, 298, 244, 54, 22},
    {K::CheckBox, false, 0, L"With a password set, ask for it again when", ID_RELOCK, 12, 282, 340, 22},
    {K::Label, false, 0, L"the text was hidden for minutes (0 = always):", 0, 30, 309, 262, 18},
    {K::ShortEdit, true, 4, L"", ID_RELOCK_MINUTES, 298, 306, 54, 22},
    {K::CheckBox, false, 0, L"Hide the Window from Screen Capture", ID_CAPTURE, 12, 344, 340, 22},
    {K::Label, false, 0, L"Clear copied text from the clipboard after", 0, 12, 385, 340, 18},
    {K::ShortEdit, true, 4, L"", ID_CLIPBOARD_CLEAR, 30, 406, 54, 22},
    {K::Label, false, 0, L"seconds (0 = never)", 0, 90, 409, 262, 18},
    {K::Button, false, 0, L"Save", ID_SAVE, 186, 448, 80, 26},
    {K::Button, false, 0, L"Cancel", IDCANCEL, 272, 448, 80, 26},
}};

// Controls 1 to 17 follow the first check box; the first, the capture box,
// the clipboard row and the two buttons are always usable.
constexpr std::size_t first_dependent = 1;
constexpr std::size_t last_dependent = 17;

// The open window's controls, on the GUI thread.
std::vector<HWND> control_handles;

bool checked(HWND window, std::int32_t id) { return IsDlgButtonChecked(window, id) == BST_CHECKED; }

void check(HWND window, std::int32_t id, bool on) { CheckDlgButton(window, id, on ? BST_CHECKED : BST_UNCHECKED); }

void apply_enable_rule(HWND window) {
  const bool hiding = checked(window, ID_HIDE_TEXT);
  for (std::size_t i = first_dependent; i <= last_dependent && i < control_handles.size(); ++i) {
    if (control_handles[i]) EnableWindow(control_handles[i], hiding);
  }
}

Config current_config() {
  auto state = app_state().borrow();
  return state ? state->config : Config{};
}

void fill(HWND window) {
  const Config c = current_config();
  check(window, ID_HIDE_TEXT, c.hide_text);
  check(window, ID_REVEAL_FOCUS, c.reveal == Reveal::Focus);
  check(window, ID_REVEAL_CLICK, c.reveal == Reveal::Click);
  check(window, ID_REVEAL_KEY, c.reveal == Reveal::Key);
  check(window, ID_CTRL, c.reveal_key.ctrl);
  check(window, ID_ALT, c.reveal_key.alt);
  check(window, ID_SHIFT, c.reveal_key.shift);
  set_control_text(window, ID_KEY, std::string(1, static_cast<char>(c.reveal_key.key)));
  check(window, ID_MASK_BARS, c.mask == Mask::Bars);
  check(window, ID_MASK_BLANK, c.mask == Mask::Blank);
  set_control_text(window, ID_IDLE, std::to_string(c.idle_seconds));
  check(window, ID_RELOCK, c.password_relock);
  set_control_text(window, ID_RELOCK_MINUTES, std::to_string(c.relock_minutes));
  check(window, ID_CAPTURE, c.hide_from_capture);
  set_control_text(window, ID_CLIPBOARD_CLEAR, std::to_string(c.clipboard_clear_seconds));
  apply_enable_rule(window);
}

Reveal chosen_reveal(HWND window) {
  if (checked(window, ID_REVEAL_KEY)) return Reveal::Key;
  if (checked(window, ID_REVEAL_CLICK)) return Reveal::Click;
  return Reveal::Focus;
}

enum class CoverChange { Refused, Allowed, PasswordGiven };

// While the text is covered and only the password would show it, a change
// that makes showing it easier is the password holder's to make: without
// this, anyone at the covered window could switch the re-lock off here and
// then simply click.
CoverChange cover_change(HWND window, std::uint8_t key) {
  const CoverSettings after{
      checked(window, ID_HIDE_TEXT), chosen_reveal(window),
      RevealKey{checked(window, ID_CTRL), checked(window, ID_ALT), checked(window, ID_SHIFT), key},
      checked(window, ID_RELOCK),
      parse_bounded_number(get_control_text(window, ID_RELOCK_MINUTES), MAX_RELOCK_MINUTES)};
  if (!veiled() || !weakens_cover(cover_settings(current_config()), after) || !relock_required()) {
    return CoverChange::Allowed;
  }
  const bool given = password_confirmed(window);
  // The window may have gone with the frame while the prompt was up.
  if (!IsWindow(window)) return CoverChange::Refused;
  return given ? CoverChange::PasswordGiven : CoverChange::Refused;
}

// False when the reveal key was refused, or the password for a weaker cover
// was not given, and the window stays open with nothing saved.
bool save(HWND window) {
  // Checked whatever reveal is chosen, even while the field is greyed: a
  // stored chord must always be one the veil can take.
  const std::optional<std::uint8_t> key = parse_reveal_key(get_control_text(window, ID_KEY));
  if (!key) {
    message_box(window, false, msg_bad_reveal_key, {"OK"}, 0, 0);
    return false;
  }
  const CoverChange change = cover_change(window, *key);
  if (change == CoverChange::Refused) return false;
  HWND veil = nullptr, status_bar = nullptr;
  bool hiding_switched_off = false, hide_from_capture = false;
  Config saved;
  {
    auto state = app_state().borrow();
    if (!state) return true;
    Config& c = state->config;
    hiding_switched_off = c.hide_text && !checked(window, ID_HIDE_TEXT);
    c.hide_text = checked(window, ID_HIDE_TEXT);
    c.reveal = chosen_reveal(window);
    c.reveal_key = {checked(window, ID_CTRL), checked(window, ID_ALT), checked(window, ID_SHIFT), *key};
    c.mask = checked(window, ID_MASK_BLANK) ? Mask::Blank : Mask::Bars;
    c.idle_seconds = parse_bounded_number(get_control_text(window, ID_IDLE), MAX_IDLE_SECONDS);
    c.password_relock = checked(window, ID_RELOCK);
    c.relock_minutes = parse_bounded_number(get_control_text(window, ID_RELOCK_MINUTES), MAX_RELOCK_MINUTES);
    c.hide_from_capture = checked(window, ID_CAPTURE);
    c.clipboard_clear_seconds =
        parse_bounded_number(get_control_text(window, ID_CLIPBOARD_CLEAR), MAX_CLIPBOARD_CLEAR_SECONDS);
    saved = c;
    hide_from_capture = c.hide_from_capture;
    veil = state->veil;
    status_bar = state->status_bar;
  }
  save_config(saved);
  arm_idle_timer();
  apply_capture_exclusion(hide_from_capture);
  // Hiding switched off shows covered text, through the re-lock unless the
  // password was just given. A Hide Now cover stays when hiding was off
  // already.
  if (hiding_switched_off) {
    if (change == CoverChange::PasswordGiven) {
      uncover();
    } else {
      request_reveal(true);
    }
  }
  // A new mask or hint, and the capture note, show at once.
  if (veil) InvalidateRect(veil, nullptr, FALSE);
  if (status_bar) InvalidateRect(status_bar, nullptr, FALSE);
  return true;
}

LRESULT CALLBACK settings_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  switch (message) {
    case WM_CREATE:
      control_handles = create_controls(window, controls);
      fill(window);
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case ID_HIDE_TEXT:
          apply_enable_rule(window);
          return 0;
        case ID_SAVE:
          if (save(window)) close_dialog_window(window);
          return 0;
        case IDCANCEL:
          close_dialog_window(window);
          return 0;
        default:
          break;
      }
      break;
    case WM_CLOSE:
      close_dialog_window(window);
      return 0;
    case WM_ACTIVATE:
      remember_focus(window, wparam, ID_HIDE_TEXT);
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(ID_SAVE, DC_HASDEFID);
    case WM_DPICHANGED:
      apply_dpi_change(window, *reinterpret_cast<const RECT*>(lparam), controls, control_handles);
      return 0;
    case WM_DESTROY:
      window_slots().settings_window = nullptr;
      control_handles.clear();
      break;
    default:
      break;
  }
  if (auto handled = dialog_base_proc(window, message, wparam, lparam)) return *handled;
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

void open_privacy_settings() {
  if (HWND open = window_slots().settings_window) {
    SetForegroundWindow(open);
    return;
  }
  auto created = create_dialog_window(SETTINGS_WINDOW_CLASS, "Privacy Settings", settings_window_proc, frame_window(),
                                      window_width, window_height);
  if (!created) return;
  window_slots().settings_window = *created;
  ShowWindow(*created, SW_SHOW);
}
