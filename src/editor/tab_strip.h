#pragma once
// The tab strip across the top of the frame: menu button, one tab per
// document, and the plus button. It paints from the tab list and acts on it;
// its class is registered by start-up with this procedure.

#include <windows.h>

LRESULT CALLBACK tab_strip_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;
