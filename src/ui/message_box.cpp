// The message box window (class NimbolMessageWnd). Each open box keeps its
// own answer slot as a window property, so a second box opened from inside
// the first one's loop (a timer, a posted message) cannot take its answer.

#include <windows.h>

#include "ui/message_box.h"

#include <optional>

#include "base/utf.h"
#include "ui/controls.h"
#include "ui/dialog_icon.h"
#include "ui/dialog_layout.h"
#include "ui/dpi.h"
#include "ui/window_classes.h"

namespace {

constexpr wchar_t slot_property[] = L"NimbolMessageBox";

struct BoxSlot {
  std::int32_t default_id = MESSAGE_FIRST_BUTTON_ID;
  std::optional<std::int32_t> done;  // the command id that ended the box
};

BoxSlot* slot_of(HWND window) { return static_cast<BoxSlot*>(GetPropW(window, slot_property)); }

LRESULT CALLBACK message_box_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  BoxSlot* slot = slot_of(window);
  switch (message) {
    case WM_ACTIVATE:
      if (!slot) break;
      remember_focus(window, wparam, slot->default_id);
      return 0;
    case WM_CLOSE:
      if (slot) slot->done = IDCANCEL;
      return 0;
    case WM_COMMAND:
      if (slot) slot->done = static_cast<std::int32_t>(LOWORD(wparam));
      return 0;
    case DM_GETDEFID:
      if (!slot) break;
      return MAKELRESULT(slot->default_id, DC_HASDEFID);
    case WM_NCDESTROY:
      RemovePropW(window, slot_property);
      break;
    default:
      break;
  }
  if (auto handled = dialog_base_proc(window, message, wparam, lparam)) return *handled;
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

std::size_t message_box(HWND owner, bool app_icon, std::string_view text, const std::vector<std::string>& buttons,
                        std::size_t default_index, std::size_t cancel_index) {
  const std::wstring wide_text = to_wide(text);
  std::vector<std::wstring> wide_buttons;
  wide_buttons.reserve(buttons.size());
  for (const std::string& b : buttons) wide_buttons.push_back(to_wide(b));

  const DialogLayout layout =
      message_box_layout(wide_text.c_str(), measure_text_height(text, MESSAGE_TEXT_WIDTH), wide_buttons);
  BoxSlot slot;
  slot.default_id = MESSAGE_FIRST_BUTTON_ID + static_cast<std::int32_t>(default_index);

  auto created =
      create_dialog_window(MESSAGE_BOX_CLASS, "Nimbol", message_box_proc, owner, layout.width, layout.height);
  if (!created) return cancel_index;
  HWND window = *created;
  SetPropW(window, slot_property, &slot);

  create_controls(window, layout.controls);
  const DialogIcon icon(app_icon, scale_for_dpi(MESSAGE_ICON_SIZE, window_dpi(window)));
  add_dialog_icon(window, icon.get(), MESSAGE_ICON_MARGIN, MESSAGE_ICON_SIZE);

  ModalOwner disabled_owner(owner);
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  if (HWND default_button = GetDlgItem(window, slot.default_id)) SetFocus(default_button);

  std::size_t answer = cancel_index;
  const ModalEnd end = run_modal_loop(window, [&] {
    if (!slot.done) return false;
    const std::int32_t id = *slot.done;
    slot.done.reset();
    if (auto chosen = message_box_answer(id, buttons.size(), cancel_index)) {
      answer = *chosen;
      return true;
    }
    return false;
  });

  disabled_owner.release();
  if (end != ModalEnd::Gone) {
    RemovePropW(window, slot_property);
    close_dialog_window(window);
  }
  return end == ModalEnd::Finished ? answer : cancel_index;
}
