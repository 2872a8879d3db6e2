#pragma once
// Go to line on a real editor: the numeric prompt whose accepted number
// moves the caret to the start of that line.

#include <windows.h>

#include "find/go_to_line.h"

// The editor's own line numbering and caret, for go_to_line_validator.
GoToLineEditor go_to_line_editor(HWND editor);

// The prompt over `owner` for `editor`; it stays open until a line the
// editor has is entered, or it is cancelled.
void go_to_line(HWND owner, HWND editor);
