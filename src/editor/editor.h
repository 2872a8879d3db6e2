#pragma once
// The Rich Edit editor of a tab, in plain-text mode, and the settings that
// apply to all editors at once (font, zoom, word wrap).

#include <windows.h>

#include <richedit.h>

#include <cstdint>
#include <string_view>

HWND create_editor(HWND parent, HFONT font, bool word_wrap, std::int32_t zoom);

HFONT create_editor_font(std::string_view face, std::int32_t points, UINT dpi);
// Gives a newly created font to every editor, then deletes the old one. The
// state takes ownership of `font`; a null font (creation failed) leaves the
// editors with the font they have.
void apply_editor_font(HFONT font);

// The zoom every editor shows, clamped to 20..500, stored in the settings.
// Wider than the stored value, so that a step from any stored zoom (the
// settings file may hold any 32-bit number) cannot overflow.
void set_zoom(std::int64_t percent);
std::int64_t current_zoom();
constexpr std::int32_t clamp_zoom(std::int64_t percent) {
  return percent <= 20 ? 20 : percent > 500 ? 500 : static_cast<std::int32_t>(percent);
}
void toggle_word_wrap();
