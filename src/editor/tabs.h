#pragma once
// The tab list in the frame: creating, opening, activating, closing tabs,
// each with its own editor.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/result.h"
#include "editor/tab_model.h"

std::size_t new_tab(std::optional<std::uint64_t> id = std::nullopt);
void activate_tab(std::size_t index);
void open_path(const std::string& path);
[[nodiscard]] Result<void> load_file_into_tab(std::size_t index, const std::string& path);
void mark_modified(HWND editor);
void close_tab(std::size_t index);
void discard_tab(std::size_t index);
// Moves a tab within the strip; the active tab stays active wherever it goes.
void move_tab(std::size_t from, std::size_t to);
TabStripSnapshot tab_titles();
