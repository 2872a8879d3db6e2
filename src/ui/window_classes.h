#pragma once
// Registration of the program's window classes, all from one table so that
// icon, cursor and style rules are applied the same way everywhere.

#include <windows.h>

struct WindowClassSpec {
  const wchar_t* name;
  UINT style;
  WNDPROC procedure;
  bool program_icon;
  bool arrow_cursor;
};

// Registers the class; failures are not checked here, since a window that
// cannot be created is the check.
void register_window_class(const WindowClassSpec& spec);

// The program icon (icon group 1), or the system's application icon.
HICON program_icon();

inline constexpr wchar_t HAND_OFF_CLASS[] = L"NimbolHandOff";
inline constexpr wchar_t FRAME_CLASS[] = L"NimbolFrame";
inline constexpr wchar_t TAB_STRIP_CLASS[] = L"NimbolTabStrip";
inline constexpr wchar_t VEIL_CLASS[] = L"NimbolVeil";
inline constexpr wchar_t STATUS_BAR_CLASS[] = L"NimbolStatusBar";
