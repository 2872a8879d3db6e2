#pragma once
// The DPI a window is drawn at: every size of the program's own windows is
// scaled by it.

#include <windows.h>

#include <cstdint>

// The DPI of a window, 96 when Windows cannot tell (or there is no window).
std::uint32_t window_dpi(HWND window);
