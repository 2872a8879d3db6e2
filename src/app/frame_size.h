#pragma once
// The size the frame will show at, given to it while it is still hidden.

#include <windows.h>

#include <optional>

#include "model/config.h"

// Gives the hidden frame the size that placing and showing it will give it
// (the stored normal rectangle, or the default size), so that the text of
// the tabs restored and opened at start-up is laid out once, at its real
// width. A maximized window's size is only known when it shows.
void size_hidden_frame(HWND frame, const std::optional<WindowPos>& stored);
