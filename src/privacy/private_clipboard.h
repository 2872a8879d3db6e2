#pragma once
// Copying and cutting that keep the text out of clipboard history, the
// cloud clipboard and clipboard monitors, and take it off the clipboard
// again after the seconds the user chose.

#include <windows.h>

// Puts the selection of an editor or of an edit field on the clipboard with
// the markers that keep it private; a cut then removes the selection
// (undoably), but only when every format was set. An empty selection, or
// text under the veil, leaves the clipboard alone.
void copy_private(HWND control, bool cut);

// Makes every copy and cut of `control` private: its copy and cut keys and
// its WM_COPY and WM_CUT (which its own context menu sends), whichever
// message loop delivers them. Start-up installs this as the copy guard.
void keep_copies_private(HWND control);

// When the program ends: with clearing on, a private copy still on the
// clipboard is taken off it.
void clear_private_copy_at_exit();
