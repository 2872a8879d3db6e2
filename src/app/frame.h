#pragma once
// The frame: the program's one document window, owner of AppState.

#include <windows.h>

LRESULT CALLBACK frame_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;

// Places the children for the frame's current client size and DPI.
void layout();

// Gives an editor the active editor's place, so that a tab's text is laid
// out (and wrapped) at its real width even while the tab is in the
// background.
void place_editor(HWND editor);

// Repaints strip and status bar and sets the title: "<tab> - Nimbol", or
// "Nimbol" while there is no active tab or the text is veiled.
void refresh_title();

// Makes the frame topmost or not, as the settings say.
void apply_keep_on_top();

// The active tab's editor, or null.
HWND active_editor();
bool is_active_editor(HWND window);

// The frame's DPI, 96 when Windows cannot tell.
UINT frame_dpi(HWND frame);
