// Dark styling of the common dialogs. Colours come from answering
// WM_CTLCOLOR* in the hook, visual styles from SetWindowTheme per control.
// What neither reaches is disabled text: the system draws it in its own
// grey, unreadable on a dark background, so disabled labels, check boxes
// and radio buttons are painted here instead.

#include <windows.h>

#include "ui/dark_dialog.h"

#include <uxtheme.h>

#include <optional>
#include <string_view>
#include <unordered_map>

#include "base/handles.h"
#include "base/utf.h"
#include "ui/dpi.h"
#include "ui/theme.h"
#include "ui/window_dpi.h"

namespace {

constexpr int class_name_limit = 32;
constexpr int caption_limit = 256;

struct DarkEntry {
  WNDPROC previous = nullptr;
  DarkKind kind = DarkKind::DarkText;
};

// The controls under dark_control_proc, for the thread that runs the
// dialogs. Entries are copied out before any call that may re-enter.
thread_local std::unordered_map<HWND, DarkEntry> dark_controls;

std::optional<DarkEntry> entry_of(HWND control) {
  const auto found = dark_controls.find(control);
  if (found == dark_controls.end()) return std::nullopt;
  return found->second;
}

LRESULT colour_control(WPARAM dc_param, COLORREF background, HBRUSH brush) {
  const auto dc = reinterpret_cast<HDC>(dc_param);
  SetTextColor(dc, palette().text_color);
  SetBkColor(dc, background);
  return reinterpret_cast<LRESULT>(brush);
}

UINT static_text_format(HWND control) {
  const auto style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
  UINT format = 0;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER:
      format = DT_CENTER | DT_WORDBREAK;
      break;
    case SS_RIGHT:
      format = DT_RIGHT | DT_WORDBREAK;
      break;
    case SS_LEFTNOWORDWRAP:
      break;
    default:
      format = DT_WORDBREAK;
      break;
  }
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  return format;
}

// A disabled control as the system would draw it in a light dialog, in the
// dark palette: an inactive box for check boxes and radio buttons, and the
// caption in the dim text colour.
void paint_disabled(HWND control, DarkKind kind) {
  const ThemeColors colors = palette();
  PaintDc paint(control);
  HDC dc = paint.get();
  RECT client{};
  GetClientRect(control, &client);
  FillRect(dc, &client, colors.window_brush);

  RECT text = client;
  UINT format = 0;
  if (kind == DarkKind::DarkText) {
    format = static_text_format(control);
  } else {
    const std::uint32_t dpi = window_dpi(control);
    const int box = scale_for_dpi(13, dpi);
    RECT frame{0, (client.bottom - box) / 2, box, (client.bottom - box) / 2 + box};
    UINT state = (kind == DarkKind::DarkCheck ? DFCS_BUTTONCHECK : DFCS_BUTTONRADIO) | DFCS_INACTIVE;
    if (SendMessageW(control, BM_GETCHECK, 0, 0) != 0) state |= DFCS_CHECKED;
    DrawFrameControl(dc, &frame, DFC_BUTTON, state);
    text.left = box + scale_for_dpi(4, dpi);
    format = DT_SINGLELINE | DT_VCENTER;
  }
  if (SendMessageW(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) format |= DT_HIDEPREFIX;

  std::optional<SelectObjectScope> font;
  if (const auto handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0))) font.emplace(dc, handle);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colors.dim_color);
  wchar_t caption[caption_limit + 1] = {};
  GetWindowTextW(control, caption, caption_limit + 1);
  DrawTextW(dc, caption, -1, &text, format);
}

bool repaint_after(UINT message) {
  return message == WM_ENABLE || message == WM_SETTEXT || message == BM_SETCHECK || message == WM_UPDATEUISTATE;
}

}  // namespace

UINT_PTR CALLBACK dark_dialog_hook(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (!is_dark()) return 0;
  const ThemeColors colors = palette();
  switch (message) {
    case WM_INITDIALOG:
      apply_title_bar(dialog);
      EnumChildWindows(dialog, style_dialog_child, 0);
      return 0;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      return static_cast<UINT_PTR>(colour_control(wparam, colors.window_color, colors.window_brush));
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return static_cast<UINT_PTR>(colour_control(wparam, colors.edit_color, colors.edit_brush));
    default:
      return 0;
  }
}

BOOL CALLBACK style_dialog_child(HWND child, LPARAM) {
  wchar_t name[class_name_limit + 1] = {};
  const int length = GetClassNameW(child, name, class_name_limit + 1);
  const auto style = static_cast<std::uint32_t>(GetWindowLongW(child, GWL_STYLE));
  // A failing SetWindowTheme leaves the control as the system drew it.
  switch (dialog_child_styling(to_utf8(std::wstring_view(name, length > 0 ? length : 0)), style)) {
    case ChildStyling::ExplorerTheme:
      SetWindowTheme(child, L"DarkMode_Explorer", nullptr);
      break;
    case ChildStyling::ComboTheme:
      SetWindowTheme(child, L"DarkMode_CFD", nullptr);
      break;
    case ChildStyling::ThemeOff:
      SetWindowTheme(child, L"", L"");
      break;
    case ChildStyling::SubclassCheck:
      subclass_dark(child, DarkKind::DarkCheck);
      SetWindowTheme(child, L"", L"");
      break;
    case ChildStyling::SubclassRadio:
      subclass_dark(child, DarkKind::DarkRadio);
      SetWindowTheme(child, L"", L"");
      break;
    case ChildStyling::SubclassText:
      subclass_dark(child, DarkKind::DarkText);
      break;
    case ChildStyling::None:
      break;
  }
  return TRUE;
}

void subclass_dark(HWND control, DarkKind kind) {
  const auto ours = reinterpret_cast<LONG_PTR>(dark_control_proc);
  const auto found = dark_controls.find(control);
  if (found != dark_controls.end() && GetWindowLongPtrW(control, GWLP_WNDPROC) == ours) {
    // Already ours: recording dark_control_proc as its own previous
    // procedure would make every message call itself without end.
    found->second.kind = kind;
    return;
  }
  const LONG_PTR previous = SetWindowLongPtrW(control, GWLP_WNDPROC, ours);
  if (previous == 0) return;
  dark_controls[control] = DarkEntry{reinterpret_cast<WNDPROC>(previous), kind};
}

LRESULT CALLBACK dark_control_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
  const std::optional<DarkEntry> entry = entry_of(control);
  if (!entry) return DefWindowProcW(control, message, wparam, lparam);
  switch (message) {
    case WM_PAINT:
      if (IsWindowEnabled(control)) break;
      paint_disabled(control, entry->kind);
      return 0;
    case WM_NCDESTROY:
      dark_controls.erase(control);
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry->previous));
      return CallWindowProcW(entry->previous, control, message, wparam, lparam);
    default:
      break;
  }
  const LRESULT result = CallWindowProcW(entry->previous, control, message, wparam, lparam);
  if (repaint_after(message) && !IsWindowEnabled(control)) InvalidateRect(control, nullptr, TRUE);
  return result;
}
