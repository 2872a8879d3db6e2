// The status bar window. It paints itself in the palette at every paint, so
// a theme change reaches it with a repaint; its texts (position, zoom, line
// end, encoding) are drawn here once the status texts exist.

#include <windows.h>

#include "ui/status_bar.h"

#include "base/handles.h"
#include "ui/theme.h"

namespace {

void on_paint(HWND window) {
  PaintDc dc(window);
  RECT client{};
  GetClientRect(window, &client);
  FillRect(dc.get(), &client, palette().window_brush);
}

}  // namespace

LRESULT CALLBACK status_bar_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  switch (message) {
    case WM_PAINT:
      on_paint(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}
