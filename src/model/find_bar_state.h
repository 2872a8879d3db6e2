#pragma once
// The find bar's state on the GUI thread. It lives outside AppState, like the
// veil's, so that the frame's layout and the veil can read it without the
// find bar's window code and while a handler holds AppState.

#include <cstdint>

struct HWND__;

struct FindBarState {
  HWND__* window = nullptr;
  bool find_bar_shown = false;
  bool replace_shown = false;
};

FindBarState& find_bar_state();

// The bar's rows in 96-DPI units: the find row alone, or both rows.
inline constexpr std::int32_t FIND_ROW_HEIGHT = 34;
inline constexpr std::int32_t FIND_AND_REPLACE_HEIGHT = 64;

// How much of the frame the bar takes above the editor, in 96-DPI units:
// nothing while it is closed. While the text is veiled the bar is hidden but
// keeps its place, so that the hidden editor, and the veil's picture of it,
// stay where they were.
inline std::int32_t find_bar_rows() {
  const FindBarState& state = find_bar_state();
  if (!state.find_bar_shown) return 0;
  return state.replace_shown ? FIND_AND_REPLACE_HEIGHT : FIND_ROW_HEIGHT;
}
