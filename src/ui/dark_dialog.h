#pragma once
// Dark colours for the system's common dialogs (font, print), which know
// nothing of a dark mode: they are coloured through their hook procedure.
// In the light palette the hook does nothing at all.

#include <windows.h>

#include "ui/dark_dialog_rules.h"

// The hook the font and print dialogs are given; 0 means not handled.
UINT_PTR CALLBACK dark_dialog_hook(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The EnumChildWindows callback that styles one control of a dialog.
BOOL CALLBACK style_dialog_child(HWND child, LPARAM unused);

// Puts `control` under dark_control_proc, which paints it while disabled.
void subclass_dark(HWND control, DarkKind kind);

LRESULT CALLBACK dark_control_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam);
