#pragma once
// The controls that hold a tab's text, or text taken from it (the editors,
// the find and replace fields), hand every copy and cut to the private
// clipboard. They sit below the privacy floor that owns it, so start-up
// installs the guard here and each such control asks for it when it is made.

struct HWND__;

// Installed by start-up before the first window that holds text.
void set_copy_guard(void (*guard)(HWND__* control));

// From now on every copy and cut of `control`, by key, menu or message and
// in whichever message loop, goes through the private clipboard.
void guard_copies(HWND__* control);
