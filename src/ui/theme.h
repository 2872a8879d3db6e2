#pragma once
// The two palettes, the switch between them, and the dark title bar and
// menus. Windows that paint themselves ask palette() at every paint, so a
// repaint is all a theme change needs to reach them.

#include <windows.h>

#include <cstdint>

#include "model/config.h"

struct ThemeColors {
  HBRUSH window_brush;
  HBRUSH edit_brush;
  HBRUSH tab_brush;
  HBRUSH button_brush;
  HBRUSH border_brush;
  COLORREF window_color;
  COLORREF text_color;
  COLORREF dim_color;
  COLORREF link_color;
  COLORREF edit_color;
};

// The palette of the current dark flag. Its brushes live until the process
// ends; callers must not delete them.
ThemeColors palette();
bool is_dark();

bool system_prefers_dark();
bool dark_for(Theme choice);
void set_dark_mode(bool dark);
void apply_title_bar(HWND window);
void apply_editor_colours(HWND editor);
// Puts `choice` in force in every window of the thread, also when it already
// is: the user asked, and a repaint is cheap. Saving it is the caller's.
void show_theme(Theme choice);
void on_setting_change(const wchar_t* text);
void apply_theme_everywhere();

// Records the user's choice for this thread (start-up, before any window).
void set_theme_choice(Theme choice);
Theme theme_choice();
