#pragma once
// The Rich Edit editor of a tab, in plain-text mode, and the settings that
// apply to all editors at once (font, zoom, word wrap).

#include <windows.h>

#include <richedit.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "base/result.h"

HWND create_editor(HWND parent, HFONT font, bool word_wrap, std::int32_t zoom);

// Replaces the whole text; not an edit (no change notification counts, and
// nothing to undo). Fails, with the reason for a message, when the editor
// does not hold all of the text afterwards: then it holds a part or nothing,
// which must never pass for the whole.
[[nodiscard]] Result<void> set_editor_text(HWND editor, std::string_view text);
std::string get_editor_text(HWND editor);
// Whether the editor holds any text at all, without copying it.
bool editor_has_text(HWND editor);

CHARRANGE get_selection(HWND editor);
void set_selection(HWND editor, CHARRANGE range);
// Empty when nothing, a reversed range, or more than 1000 characters is selected.
std::string get_selected_text(HWND editor);

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
