#pragma once
// The text and the selection of a Rich Edit control in plain-text mode.

#include <windows.h>

#include <richedit.h>

#include <string>
#include <string_view>

#include "base/result.h"

// Replaces the whole text; not an edit (no change notification counts, and
// nothing to undo). Fails, with the reason for a message, when the editor
// does not hold all of the text afterwards: then it holds a part or nothing,
// which must never pass for the whole.
[[nodiscard]] Result<void> set_editor_text(HWND editor, std::string_view text);
// Replaces the whole text as one edit that can be undone, and fails as
// set_editor_text does when the editor did not take all of it.
[[nodiscard]] Result<void> replace_whole_text(HWND editor, std::string_view text);
std::string get_editor_text(HWND editor);
// Whether the editor holds any text at all, without copying it.
bool editor_has_text(HWND editor);

CHARRANGE get_selection(HWND editor);
void set_selection(HWND editor, CHARRANGE range);
// Empty when nothing, a reversed range, or more than 1000 characters is selected.
std::string get_selected_text(HWND editor);
