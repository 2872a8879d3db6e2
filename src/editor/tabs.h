#pragma once
// The tab list in the frame: creating, opening, activating, closing tabs,
// each with its own editor.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/result.h"
#include "editor/tab_model.h"

// Adds a tab with an editor of its own, not activated, and returns its
// index; `id` is a stored tab's id, else the tab takes the next free one.
// When no editor can be made nothing is added (a tab without an editor
// would show nothing and save nothing over a file), and the error is the
// system's reason.
[[nodiscard]] Result<std::size_t> create_tab(std::optional<std::uint64_t> id = std::nullopt);
// create_tab for callers that only go on: a failure is shown to the user,
// and the index returned is then the number of tabs (no tab), which
// activate_tab ignores.
std::size_t new_tab(std::optional<std::uint64_t> id = std::nullopt);
void activate_tab(std::size_t index);
// Opens the file in a tab: the one that has it already, a clean untitled
// active tab that is not being saved, or a new one. A failure is shown.
void open_path(const std::string& path);
// Fails, leaving the tab as it was, when the file cannot be read or the
// editor does not take all of its text.
[[nodiscard]] Result<void> load_file_into_tab(std::size_t index, const std::string& path);
void mark_modified(HWND editor);
void close_tab(std::size_t index);
void discard_tab(std::size_t index);
// Moves a tab within the strip; the active tab stays active wherever it goes.
void move_tab(std::size_t from, std::size_t to);
TabStripSnapshot tab_titles();

// Marks a tab as being saved for as long as it lives. A file opened
// meanwhile (handed over while the Save As dialog is open, say) never
// lands in that tab, whose text is about to be written under the chosen name.
class TabBeingSaved {
 public:
  explicit TabBeingSaved(std::uint64_t id);
  ~TabBeingSaved();
  TabBeingSaved(const TabBeingSaved&) = delete;
  TabBeingSaved& operator=(const TabBeingSaved&) = delete;

 private:
  std::uint64_t id_;
};
