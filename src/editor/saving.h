#pragma once
// Saving a tab's text to a file: the Save and Save As commands and the
// "Save" answer when a modified tab is closed.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "editor/save_plan.h"

// Saves the tab at `index` to its file, or to one the user chooses when
// `save_as` is set or the tab has none. True when the file was written; a
// cancelled dialog or question gives false silently, a failed write gives
// false after the program's message.
[[nodiscard]] bool save_tab(std::size_t index, bool save_as);

// Writes `bytes` to `target` (UTF-8 path) without ever truncating it in
// place: they go to a temporary file beside it, which then takes its place.
// The outcome's error is 0 on success, else the Windows error code to
// report. No temporary file is left behind, unless a failed replacement
// took the target away: then it holds the only copy on disk and is kept.
[[nodiscard]] SaveOutcome write_file_safely(const std::string& target, std::span<const std::uint8_t> bytes);
