// The veil window: its picture of the covered window and the gestures that
// ask for the text back. Whether they get it is the re-lock's decision.

#include <windows.h>

#include "privacy/veil.h"

#include <string>

#include "base/handles.h"
#include "base/utf.h"
#include "editor/strip_layout.h"
#include "privacy/relock.h"
#include "privacy/veil_layout.h"
#include "ui/accessible.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/theme.h"

namespace {

const char* hint_for(Reveal reveal) {
  switch (reveal) {
    case Reveal::Click:
      return "Click to show";
    case Reveal::Key:
      return "Press your reveal key to show";
    case Reveal::Focus:
    default:
      return "Click or press a key to show";
  }
}

void fill(HDC dc, const EdgeRect& r, HBRUSH brush) {
  const RECT rect{r.left, r.top, r.right, r.bottom};
  FillRect(dc, &rect, brush);
}

void on_paint(HWND window) {
  PaintDc paint(window);
  RECT client{};
  GetClientRect(window, &client);
  BufferedDc buffer(paint.get(), client.right - client.left, client.bottom - client.top);
  if (!buffer) return;
  HDC dc = buffer.get();

  const ThemeColors colours = palette();
  const std::uint32_t dpi = window_dpi(window);
  const VeilLayout layout = current_veil_layout();
  const VeilParts settings = veil_parts(true);

  FillRect(dc, &client, colours.edit_brush);
  const RECT band{client.left, client.top, client.right, layout.tab_strip_height};
  FillRect(dc, &band, colours.window_brush);
  for (const EdgeRect& tab : layout.tab_rects) {
    if (auto bar = veil_tab_bar(tab, dpi)) fill(dc, *bar, colours.tab_brush);
  }
  if (settings.mask == Mask::Bars) {
    for (const EdgeRect& bar : layout.line_bars) {
      if (bar.top >= layout.tab_strip_height) fill(dc, bar, colours.tab_brush);
    }
  }

  SelectObjectScope select_font(dc, dialog_font(dpi, 16, false));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colours.dim_color);
  RECT hint_area = client;
  if (settings.mask == Mask::Bars) hint_area.top = client.bottom - scale_for_dpi(TAB_STRIP_HEIGHT, dpi);
  const std::wstring hint = to_wide(hint_for(settings.reveal));
  DrawTextW(dc, hint.c_str(), static_cast<int>(hint.size()), &hint_area,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

bool modifier_down(int key) { return GetKeyState(key) < 0; }

// The key was already down before this message (bit 30 of the key data).
bool repeated(LPARAM key_data) { return (key_data & (LPARAM{1} << 30)) != 0; }

// Whether a key on the veil asks for the text back.
bool key_reveals(WPARAM vk, bool system, const VeilParts& settings) {
  switch (settings.reveal) {
    case Reveal::Key: {
      const RevealKey& chord = settings.reveal_key;
      return vk == chord.key && chord.ctrl == modifier_down(VK_CONTROL) && chord.alt == modifier_down(VK_MENU) &&
             chord.shift == modifier_down(VK_SHIFT);
    }
    case Reveal::Click:
      return false;
    case Reveal::Focus:
    default:
      if (system) return false;
      return !(vk >= VK_SHIFT && vk <= VK_MENU) && vk != VK_LWIN && vk != VK_RWIN;
  }
}

// A screen reader hears the hint and nothing else of the covered window.
AccessView describe_veil(HWND) {
  AccessView view;
  view.self.role = AccessRole::Pane;
  view.self.name = hint_for(veil_parts(true).reveal);
  return view;
}

}  // namespace

LRESULT CALLBACK veil_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  switch (message) {
    case WM_PAINT:
      on_paint(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_CONTEXTMENU:
    case WM_CHAR:
      return 0;
    // Only a fresh press reveals: the repeats of a key still held from
    // before the cover (the L of Ctrl+L) would otherwise undo Hide Now.
    case WM_KEYDOWN:
      if (!repeated(lparam) && key_reveals(wparam, false, veil_parts())) request_reveal(true);
      return 0;
    case WM_SYSKEYDOWN:
      if (!repeated(lparam) && key_reveals(wparam, true, veil_parts())) {
        request_reveal(true);
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
      if (veil_parts().reveal != Reveal::Key) request_reveal(true);
      return 0;
    case WM_GETOBJECT:
      return answer_get_object(window, wparam, lparam, describe_veil);
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}
