#pragma once
// The modeless windows that may be open beside the frame, one slot each.
// A window fills its slot when it is created and clears it when destroyed;
// the message loop routes dialog keys to whichever is open.

#include <windows.h>

struct WindowSlots {
  HWND settings_window = nullptr;
  HWND about_window = nullptr;
  HWND licenses_window = nullptr;
  HWND updates_window = nullptr;
};

WindowSlots& window_slots();
