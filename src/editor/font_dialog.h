#pragma once
// The Font command: the system's font dialog, opened on the editor font of
// the settings, and the new font given to every editor after a choice.

#include <windows.h>

#include <commdlg.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct ChosenFont {
  std::string face;
  std::int32_t points = 0;
};

// The dialog's font record for a face and a point size at `dpi`.
LOGFONTW font_dialog_logfont(std::string_view face, std::int32_t points, UINT dpi);

// The dialog's request, owned by `owner` and reading and writing `logfont`.
CHOOSEFONTW font_dialog_request(HWND owner, LOGFONTW& logfont);

// Shows the dialog; the chosen face and whole points, or nothing when the
// user cancelled or the dialog could not be shown.
std::optional<ChosenFont> font_dialog(HWND owner, std::string_view face, std::int32_t points, UINT dpi);

// The whole command: asks, then stores the choice in the settings, saves
// them and gives a font made from it to every editor.
void choose_editor_font(HWND frame);
