#pragma once
// The icon at the top left of the program's dialog windows: the program's
// own, or the warning sign, loaded sharp at the window's size.

#include <windows.h>

// An icon loaded at `size` pixels; the icon object is this owner's to
// destroy, except the shared program icon used when loading fails.
class DialogIcon {
 public:
  DialogIcon(bool app_icon, int size);
  DialogIcon(const DialogIcon&) = delete;
  DialogIcon& operator=(const DialogIcon&) = delete;
  ~DialogIcon();
  HICON get() const { return icon_; }

 private:
  HICON owned_ = nullptr;
  HICON icon_ = nullptr;
};

// Top left of the window's client area, square, at sizes given for 96 DPI.
// The icon must outlive the window. Returns the icon control (or null).
HWND add_dialog_icon(HWND window, HICON icon, int margin, int size);
