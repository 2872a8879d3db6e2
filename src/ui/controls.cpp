// Dialog machinery shared by the message box, the prompt and the modeless
// windows. The program has no dialog templates: each window is built in code
// from a ControlSpec list, so one set of functions decides fonts, colours and
// DPI scaling for all of them.

#include <windows.h>

#include "ui/controls.h"

#include <uxtheme.h>

#include <array>
#include <map>
#include <tuple>

#include "base/handles.h"
#include "base/utf.h"
#include "ui/dialog_layout.h"
#include "ui/dpi.h"
#include "ui/secret_text.h"
#include "ui/theme.h"
#include "ui/window_classes.h"

namespace {

constexpr std::int32_t body_font_size = 16;
constexpr std::int32_t heading_font_size = 22;
constexpr int caption_buffer = 128;

// The GWLP_USERDATA of an owner-drawn button whose caption marks a
// mnemonic: the letters "MNEM".
constexpr std::intptr_t MNEMONIC_MARKER = 0x4D4E454D;

struct ControlClass {
  const wchar_t* name;
  DWORD ex_style;
  DWORD style;
};

// No text of the program has a keyboard mnemonic, while file names and
// addresses may hold an '&': every text is shown (and measured) as written.
ControlClass control_class(const ControlSpec& spec) {
  switch (spec.kind) {
    case ControlKind::Label:
    case ControlKind::Heading:
      return {L"STATIC", 0, SS_LEFT | SS_NOPREFIX};
    case ControlKind::PathLabel:
      return {L"STATIC", 0, SS_PATHELLIPSIS | SS_NOPREFIX};
    case ControlKind::CheckBox:
      return {L"BUTTON", 0, WS_TABSTOP | BS_AUTOCHECKBOX};
    case ControlKind::Radio:
      return {L"BUTTON", 0, static_cast<DWORD>(BS_AUTORADIOBUTTON | (spec.flag ? WS_GROUP | WS_TABSTOP : 0))};
    case ControlKind::ShortEdit:
      return {L"EDIT", WS_EX_CLIENTEDGE,
              static_cast<DWORD>(WS_TABSTOP | ES_AUTOHSCROLL | (spec.flag ? ES_NUMBER : ES_UPPERCASE))};
    case ControlKind::Edit:
      return {L"EDIT", WS_EX_CLIENTEDGE, WS_TABSTOP | ES_AUTOHSCROLL};
    case ControlKind::PasswordEdit:
      return {L"EDIT", WS_EX_CLIENTEDGE, WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL};
    case ControlKind::TextView:
      return {L"EDIT", WS_EX_CLIENTEDGE, WS_VSCROLL | ES_READONLY | ES_AUTOVSCROLL | ES_MULTILINE};
    case ControlKind::Link:
    case ControlKind::Button:
      return {L"BUTTON", 0, WS_TABSTOP | BS_OWNERDRAW};
  }
  return {L"STATIC", 0, SS_LEFT | SS_NOPREFIX};
}

// The steps that follow creation, by kind.
void finish_control(HWND control, const ControlSpec& spec) {
  switch (spec.kind) {
    case ControlKind::CheckBox:
    case ControlKind::Radio:
      // Without visual styles the box takes its text colour from
      // WM_CTLCOLORSTATIC, so it can follow the palette.
      SetWindowTheme(control, L"", L"");
      break;
    case ControlKind::ShortEdit:
    case ControlKind::Edit:
      SendMessageW(control, EM_LIMITTEXT, spec.limit, 0);
      break;
    case ControlKind::PasswordEdit:
      SendMessageW(control, EM_LIMITTEXT, PASSWORD_LIMIT, 0);
      break;
    case ControlKind::TextView:
      // The text is set only after the limit is lifted, or a long text
      // would be cut at the default limit.
      SendMessageW(control, EM_LIMITTEXT, 0, 0);
      SetWindowTextW(control, spec.text ? spec.text : L"");
      SetWindowTheme(control, is_dark() ? L"DarkMode_Explorer" : L"Explorer", nullptr);
      break;
    case ControlKind::Link:
      SetWindowLongPtrW(control, GWLP_USERDATA, LINK_MARKER);
      break;
    default:
      break;
  }
}

BOOL CALLBACK set_font_on_child(HWND child, LPARAM font) {
  SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  return TRUE;
}

bool is_link(HWND control) { return GetWindowLongPtrW(control, GWLP_USERDATA) == LINK_MARKER; }

// Owner-drawn buttons and links. The item is drawn off screen and copied in
// one step, so hovering and focus changes do not flicker.
void paint_owner_drawn(const DRAWITEMSTRUCT& item) {
  const ThemeColors colors = palette();
  const bool link = is_link(item.hwndItem);
  const RECT& bounds = item.rcItem;
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  if (width <= 0 || height <= 0) return;

  UniqueMemoryDc memory(CreateCompatibleDC(item.hDC));
  UniqueBitmap bitmap(memory ? CreateCompatibleBitmap(item.hDC, width, height) : nullptr);
  const bool buffered = memory && bitmap;
  HDC dc = buffered ? memory.get() : item.hDC;
  RECT area = buffered ? RECT{0, 0, width, height} : bounds;
  std::optional<SelectObjectScope> keep_bitmap;
  if (buffered) keep_bitmap.emplace(dc, bitmap.get());

  FillRect(dc, &area, link ? colors.window_brush : colors.button_brush);
  if (!link) FrameRect(dc, &area, colors.border_brush);

  std::optional<SelectObjectScope> keep_font;
  if (auto font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0))) keep_font.emplace(dc, font);
  SetBkMode(dc, TRANSPARENT);
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  SetTextColor(dc, disabled ? colors.dim_color : link ? colors.link_color : colors.text_color);

  std::array<wchar_t, caption_buffer> caption{};
  const int length = GetWindowTextW(item.hwndItem, caption.data(), caption_buffer);
  RECT text = area;
  const bool mnemonic = GetWindowLongPtrW(item.hwndItem, GWLP_USERDATA) == MNEMONIC_MARKER;
  const UINT prefix = !mnemonic ? DT_NOPREFIX : (item.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
  DrawTextW(dc, caption.data(), length, &text,
            prefix | (link ? DT_SINGLELINE : DT_CENTER | DT_VCENTER | DT_SINGLELINE));

  // As the system's own buttons do, the focus rectangle waits until the
  // keyboard has been used in the window.
  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) DrawFocusRect(dc, &area);
  keep_font.reset();

  if (buffered) BitBlt(item.hDC, bounds.left, bounds.top, width, height, dc, 0, 0, SRCCOPY);
}

std::int32_t measure(std::string_view text, std::int32_t width, UINT format) {
  if (text.empty()) return 0;
  const std::wstring wide = to_wide(text);
  WindowDc screen(nullptr);
  if (!screen) return 0;
  SelectObjectScope keep(screen.get(), dialog_font(USER_DEFAULT_SCREEN_DPI, body_font_size, false));
  RECT rect{0, 0, width, 0};
  DrawTextW(screen.get(), wide.c_str(), static_cast<int>(wide.size()), &rect, format | DT_NOPREFIX | DT_CALCRECT);
  return (format & DT_SINGLELINE) ? rect.right : rect.bottom;
}

}  // namespace

HFONT dialog_font(std::uint32_t dpi, std::int32_t pixel_size, bool underline) {
  using Key = std::tuple<std::uint32_t, std::int32_t, bool>;
  thread_local std::map<Key, HFONT> cache;
  const Key key{dpi, pixel_size, underline};
  if (auto found = cache.find(key); found != cache.end()) return found->second;
  HFONT font = CreateFontW(scale_for_dpi(pixel_size, dpi), 0, 0, 0, FW_NORMAL, FALSE, underline ? TRUE : FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                           L"Segoe UI");
  // A failure is not remembered, so a later call may still get the font.
  if (font) cache.emplace(key, font);
  return font;
}

std::expected<HWND, HRESULT> create_dialog_window(const wchar_t* class_name, std::string_view title, WNDPROC procedure,
                                                  HWND owner, std::int32_t width, std::int32_t height) {
  // Registering a class that exists fails harmlessly.
  register_window_class({class_name, 0, procedure, true, true});
  const std::wstring wide_title = to_wide(title);
  HWND window =
      CreateWindowExW(WS_EX_CONTROLPARENT, class_name, wide_title.c_str(), WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                      CW_USEDEFAULT, width, height, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window) {
    const DWORD error = GetLastError();
    return std::unexpected(HRESULT_FROM_WIN32(error ? error : ERROR_INVALID_WINDOW_HANDLE));
  }
  const std::uint32_t dpi = window_dpi(window);
  if (dpi != USER_DEFAULT_SCREEN_DPI) {
    SetWindowPos(window, nullptr, 0, 0, scale_for_dpi(width, dpi), scale_for_dpi(height, dpi),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  apply_title_bar(window);
  return window;
}

std::vector<HWND> create_controls(HWND window, std::span<const ControlSpec> specs) {
  const std::uint32_t dpi = window_dpi(window);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  std::vector<HWND> handles;
  handles.reserve(specs.size());
  for (const ControlSpec& spec : specs) {
    const ControlClass cls = control_class(spec);
    const PixelRect r = scaled_rect(spec, dpi);
    const wchar_t* text = spec.kind == ControlKind::TextView || !spec.text ? L"" : spec.text;
    HWND control =
        CreateWindowExW(cls.ex_style, cls.name, text, WS_CHILD | WS_VISIBLE | cls.style, r.x, r.y, r.width, r.height,
                        window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance, nullptr);
    if (control) finish_control(control, spec);
    handles.push_back(control);
  }
  apply_dialog_fonts(window, specs, handles);
  return handles;
}

void apply_dialog_fonts(HWND window, std::span<const ControlSpec> specs, std::span<const HWND> handles) {
  const std::uint32_t dpi = window_dpi(window);
  HFONT body = dialog_font(dpi, body_font_size, false);
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(body), TRUE);
  EnumChildWindows(window, set_font_on_child, reinterpret_cast<LPARAM>(body));
  for (std::size_t i = 0; i < specs.size() && i < handles.size(); ++i) {
    if (!handles[i]) continue;
    if (specs[i].kind == ControlKind::Heading) {
      SendMessageW(handles[i], WM_SETFONT, reinterpret_cast<WPARAM>(dialog_font(dpi, heading_font_size, false)), TRUE);
    } else if (specs[i].kind == ControlKind::Link) {
      SendMessageW(handles[i], WM_SETFONT, reinterpret_cast<WPARAM>(dialog_font(dpi, body_font_size, true)), TRUE);
    }
  }
}

void relayout_controls(HWND window, std::span<const ControlSpec> specs, std::span<const HWND> handles) {
  const std::uint32_t dpi = window_dpi(window);
  for (std::size_t i = 0; i < specs.size() && i < handles.size(); ++i) {
    if (!handles[i]) continue;
    const PixelRect r = scaled_rect(specs[i], dpi);
    SetWindowPos(handles[i], nullptr, r.x, r.y, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  apply_dialog_fonts(window, specs, handles);
}

void apply_dpi_change(HWND window, const RECT& suggested, std::span<const ControlSpec> specs,
                      std::span<const HWND> handles) {
  SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  relayout_controls(window, specs, handles);
}

void remember_focus(HWND window, WPARAM activate_wparam, std::int32_t default_id) {
  if (LOWORD(activate_wparam) != WA_INACTIVE) {
    auto remembered = reinterpret_cast<HWND>(GetWindowLongPtrW(window, GWLP_USERDATA));
    HWND target = remembered && IsChild(window, remembered) ? remembered : GetDlgItem(window, default_id);
    if (target) SetFocus(target);
  } else {
    HWND focus = GetFocus();
    if (focus && IsChild(window, focus)) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(focus));
  }
}

void close_dialog_window(HWND window) {
  HWND owner = GetWindow(window, GW_OWNER);
  if (owner && GetForegroundWindow() == window) SetForegroundWindow(owner);
  DestroyWindow(window);
}

std::string get_control_text(HWND window, std::int32_t id) {
  std::array<wchar_t, CONTROL_TEXT_BUFFER> buffer{};
  const int length = GetWindowTextW(GetDlgItem(window, id), buffer.data(), static_cast<int>(buffer.size()));
  return to_utf8(std::wstring_view(buffer.data(), length > 0 ? static_cast<std::size_t>(length) : 0));
}

SecureBuffer get_control_secret(HWND window, std::int32_t id) {
  std::array<wchar_t, CONTROL_TEXT_BUFFER> buffer{};
  const int length = GetWindowTextW(GetDlgItem(window, id), buffer.data(), static_cast<int>(buffer.size()));
  SecureBuffer text =
      secure_utf8_from_utf16(std::wstring_view(buffer.data(), length > 0 ? static_cast<std::size_t>(length) : 0));
  secure_wipe(buffer.data(), sizeof buffer);
  return text;
}

void set_control_text(HWND window, std::int32_t id, std::string_view text) {
  SetWindowTextW(GetDlgItem(window, id), to_wide(text).c_str());
}

void show_mnemonic(HWND control) {
  if (!control) return;
  wchar_t name[16] = {};
  GetClassNameW(control, name, 16);
  if (_wcsicmp(name, L"Static") == 0) {
    SetWindowLongPtrW(control, GWL_STYLE, GetWindowLongPtrW(control, GWL_STYLE) & ~SS_NOPREFIX);
  } else if (GetWindowLongPtrW(control, GWLP_USERDATA) == 0) {
    // An owner-drawn button; a check box draws its mnemonic itself.
    SetWindowLongPtrW(control, GWLP_USERDATA, MNEMONIC_MARKER);
  }
  InvalidateRect(control, nullptr, TRUE);
}

std::int32_t measure_text_height(std::string_view text, std::int32_t width) {
  return measure(text, width, DT_WORDBREAK);
}

std::int32_t measure_text_width(std::string_view text) { return measure(text, 0, DT_SINGLELINE); }

std::optional<LRESULT> dialog_base_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wparam), &client, palette().window_brush);
      return 1;
    }
    case WM_SETCURSOR: {
      auto under = reinterpret_cast<HWND>(wparam);
      if (under && under != window && IsChild(window, under) && is_link(under)) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      return std::nullopt;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (!item || item->CtlType != ODT_BUTTON) return std::nullopt;
      paint_owner_drawn(*item);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const ThemeColors colors = palette();
      auto dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, colors.text_color);
      SetBkColor(dc, colors.window_color);
      return reinterpret_cast<LRESULT>(colors.window_brush);
    }
    case WM_CTLCOLOREDIT: {
      const ThemeColors colors = palette();
      auto dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, colors.text_color);
      SetBkColor(dc, colors.edit_color);
      return reinterpret_cast<LRESULT>(colors.edit_brush);
    }
    default:
      return std::nullopt;
  }
}

ModalEnd run_modal_loop(HWND window, const std::function<bool()>& finished) {
  MSG msg{};
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      // The quit belongs to the outer loop, which must still end.
      PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : 0);
      return ModalEnd::Quit;
    }
    if (!IsDialogMessageW(window, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (finished()) return ModalEnd::Finished;
    // Destroyed with its owner, for instance: waiting on would never end.
    if (!IsWindow(window)) return ModalEnd::Gone;
  }
}

ModalOwner::ModalOwner(HWND owner) noexcept : owner_(owner) {
  // EnableWindow returns nonzero when the window was already disabled.
  if (owner_) disabled_by_us_ = !EnableWindow(owner_, FALSE);
}

void ModalOwner::release() noexcept {
  if (owner_ && disabled_by_us_) EnableWindow(owner_, TRUE);
  owner_ = nullptr;
  disabled_by_us_ = false;
}
