#pragma once
// The "Check for Updates" window: the state of the checks, the switch for
// automatic checks, a check by hand and the updates page.

#include <windows.h>

inline constexpr wchar_t UPDATES_WINDOW_CLASS[] = L"NimbolUpdatesWnd";

// Opens the window owned by `frame`, or brings the open one to the front.
void open_updates_window(HWND frame);

// Rewrites the state text and the controls' states, if the window is open.
void refresh_updates_window();

// The frame's handler of WM_APP_UPDATE_RESULT: takes the check's outcome,
// announces a newer version once by opening the window, refreshes it.
void on_update_result(HWND frame);
