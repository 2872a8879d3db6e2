#pragma once
// Copying and cutting that keep the text out of clipboard history, the
// cloud clipboard and clipboard monitors.

#include <windows.h>

// Puts the editor's selection on the clipboard with the markers that keep
// it private; a cut then removes the selection (undoably), but only when
// every format was set. An empty selection leaves the clipboard alone.
void copy_private(HWND editor, bool cut);
