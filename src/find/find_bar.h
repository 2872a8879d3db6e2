#pragma once
// The find bar: a child of the frame between the tab strip and the editor,
// with a find row and an optional replace row, acting on the active tab's
// editor. Its visibility lives in model/find_bar_state.h.

#include <windows.h>

#include <cstdint>
#include <span>
#include <string_view>

#include "ui/control_spec.h"

inline constexpr wchar_t FIND_BAR_CLASS[] = L"NimbolFindBar";

enum : std::int32_t {
  FIND_CLOSE_ID = 5000,
  FIND_FIELD_ID = 5001,
  FIND_PREVIOUS_ID = 5002,
  FIND_NEXT_ID = 5003,
  FIND_MATCH_CASE_ID = 5004,
  FIND_RESULT_ID = 5005,
  REPLACE_LABEL_ID = 5006,
  REPLACE_FIELD_ID = 5007,
  REPLACE_ONE_ID = 5008,
  REPLACE_ALL_ID = 5009,
};

// The bar's controls in creation (and tab) order, in 96-DPI units.
std::span<const ControlSpec> find_bar_controls();

LRESULT CALLBACK find_bar_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;

// Creates the hidden bar in the frame and remembers it; false when the
// window could not be made.
bool create_find_bar(HWND frame);

// Opens the bar (with the replace row for Replace) and puts the focus in the
// find field, filled from a one-line selection.
void show_find_bar(bool with_replace);
void hide_find_bar();

// After a DPI change: the controls to their rectangles and fonts for the
// bar's new DPI.
void relayout_find_bar();

// Searches `text` in the editor from its selection, wrapping around to the
// other end once; a match is selected and scrolled into view.
bool find_in_editor(HWND editor, std::string_view text, bool match_case, bool forward);

// "Previous" / "Next", Enter in the find field, F3 and Shift+F3.
void find_step(bool forward);
// "Replace" and Enter in the replace field.
void replace_one();
// "Replace All": one edit, so one undo takes it back.
void replace_all();

// Tab and Shift+Tab from a control of the bar: the focus to the next (or
// previous) control that can take it. False when `from` is not in the bar.
bool find_bar_tab(HWND from, bool backward);
// Alt and a letter while the focus is in the bar: the control with that
// mnemonic acts (a button is clicked, a label's field takes the focus).
// False when no control of the bar has it.
bool find_bar_mnemonic(wchar_t letter);
