#pragma once
// The "Privacy Settings" window: one modeless window in which the user
// edits how and when the text is hidden. Nothing changes before Save.

inline constexpr wchar_t SETTINGS_WINDOW_CLASS[] = L"NimbolSettingsWnd";

// Opens the window, or brings the open one to the front.
void open_privacy_settings();
