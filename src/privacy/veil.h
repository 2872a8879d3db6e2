#pragma once
// The veil: the child window that takes the place of everything that shows
// text while the user is not working with the program.

#include <windows.h>

// Posted to the frame for a cover that arrived while the veil was busy
// covering or uncovering; it is carried out once that has finished.
inline constexpr UINT WM_APP_COVER = WM_APP + 2;

LRESULT CALLBACK veil_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;

void cover();
void uncover();
void request_reveal(bool by_user);

// The frame's layout pass calls this while the text is veiled: the veil's
// picture of the window is rebuilt from the (hidden) editor's line metrics.
void refresh_veil_layout();
