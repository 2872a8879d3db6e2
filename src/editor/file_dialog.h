#pragma once
// The system's Open and Save As dialogs, as one call.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

// Asks for a file to save to (`save`) or to open, with `initial_name` in the
// file-name field. The chosen path (UTF-8), or nothing when the user
// cancelled or the dialog could not be shown.
std::optional<std::string> file_dialog(HWND owner, std::string_view initial_name, bool save);
