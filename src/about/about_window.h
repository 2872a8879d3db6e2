#pragma once
// The About window (modeless, one at a time) and the licences viewer it
// opens.

#include <windows.h>

inline constexpr wchar_t ABOUT_CLASS[] = L"NimbolAboutWnd";
inline constexpr wchar_t LICENSES_CLASS[] = L"NimbolLicensesWnd";

// Opens the About window owned by `frame` and brings it to the front; when
// it is open already, only brings it to the front.
void open_about_window(HWND frame);

// Opens the licences viewer owned by `owner`, or brings the open one to the
// front.
void open_licenses_window(HWND owner);
