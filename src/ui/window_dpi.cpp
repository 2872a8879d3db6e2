// The one DPI getter of the program's windows.

#include <windows.h>

#include "ui/window_dpi.h"

std::uint32_t window_dpi(HWND window) {
  const UINT dpi = window ? GetDpiForWindow(window) : 0;
  return dpi ? dpi : USER_DEFAULT_SCREEN_DPI;
}
