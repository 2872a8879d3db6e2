#pragma once
// The frame: the program's one document window, owner of AppState.

#include <windows.h>

LRESULT CALLBACK frame_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;

// Hands the frame's layout, title and editor placement down to the
// features; start-up calls it before the state exists.
void install_frame_hooks();

// Makes the frame topmost or not, as the settings say.
void apply_keep_on_top();
