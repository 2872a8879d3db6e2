#pragma once
// The GUI thread's message loop: open dialogs, the find bar, the private
// clipboard keys, the zoom wheel and the accelerators see a message before
// it is dispatched.

#include <windows.h>

// Runs until WM_QUIT (or an error) and returns the quit code.
int run_message_loop(HWND frame, HACCEL accelerators);

// Builds the frame's accelerator table; null when that fails.
HACCEL create_accelerators();
