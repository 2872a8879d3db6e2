#pragma once
// The process entry's work: command line, maintenance modes, single
// instance, windows, tabs, then the message loop. Returns the exit code.

#include <windows.h>

#include <optional>

#include "model/config.h"

int run_program();

// The frame's first showing: placed as stored, in front, and with its text
// covered unless it both became the active window and reveals on focus.
void show_frame_at_start(HWND frame, const std::optional<WindowPos>& stored, Reveal reveal);
