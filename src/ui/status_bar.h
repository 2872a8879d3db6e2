#pragma once
// The status bar along the bottom of the frame.

#include <windows.h>

LRESULT CALLBACK status_bar_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;
