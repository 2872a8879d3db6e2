// The message box window (class NimbolMessageWnd). Each open box keeps its
// own answer slot as a window property, so a second box opened from inside
// the first one's loop (a timer, a posted message) cannot take its answer.

#include <windows.h>

#include "ui/message_box.h"

#include <optional>

#include "base/utf.h"
#include "ui/controls.h"
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

// Common Controls 6 scales the icon down from its largest image, which stays
// sharp at any DPI. The import libraries of the toolchain lack the call, so
// it is looked up; plain LoadImageW is the fallback. The library comes from
// the system only: the manifest's side-by-side assembly (version 6) still
// comes first, a comctl32.dll beside the program never.
HICON load_scaled_icon(HINSTANCE module, const wchar_t* name, int size) {
  using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  static const HMODULE comctl = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);  // stays loaded
  if (comctl) {
    const auto load = reinterpret_cast<LoadIconWithScaleDownFn>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "LoadIconWithScaleDown")));
    HICON icon = nullptr;
    if (load && SUCCEEDED(load(module, name, size, size, &icon)) && icon) return icon;
  }
  return static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

// The icon beside the text. Icons loaded at a size are the caller's to
// destroy; the shared program icon of the fallback is not.
class BoxIcon {
 public:
  BoxIcon(bool app_icon, int size) {
    HINSTANCE module = app_icon ? GetModuleHandleW(nullptr) : nullptr;
    const wchar_t* name = app_icon ? MAKEINTRESOURCEW(1) : IDI_WARNING;
    owned_ = load_scaled_icon(module, name, size);
    icon_ = owned_ ? owned_ : app_icon ? program_icon() : nullptr;
  }
  BoxIcon(const BoxIcon&) = delete;
  BoxIcon& operator=(const BoxIcon&) = delete;
  ~BoxIcon() {
    if (owned_) DestroyIcon(owned_);
  }
  HICON get() const { return icon_; }

 private:
  HICON owned_ = nullptr;
  HICON icon_ = nullptr;
};

void add_icon(HWND window, HICON icon) {
  const std::uint32_t dpi = window_dpi(window);
  const int margin = scale_for_dpi(MESSAGE_ICON_MARGIN, dpi);
  const int size = scale_for_dpi(MESSAGE_ICON_SIZE, dpi);
  HWND control = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON, margin, margin, size, size,
                                 window, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (control && icon) SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
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
  const BoxIcon icon(app_icon, scale_for_dpi(MESSAGE_ICON_SIZE, window_dpi(window)));
  add_icon(window, icon.get());

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
