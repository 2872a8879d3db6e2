#pragma once
// The arithmetic of the tab list, free of windows: untitled numbering, tab
// titles, path matching and where `active` lands after a close or a move.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/tab.h"

// The smallest positive number that no untitled tab uses (file tabs keep a
// number but do not block it).
std::uint32_t next_untitled_number(const std::vector<Tab>& tabs);

// "a.txt" for a file tab; "Untitled", "Untitled 2", ... otherwise.
std::string tab_title(const Tab& tab);

// Paths are the same file to us when they match with only A-Z folded.
bool same_path(std::string_view a, std::string_view b);

// `active` after removing the tab at `removed` from a list that had
// `count_before` tabs.
std::size_t active_after_close(std::size_t active, std::size_t removed, std::size_t count_before);

// `active` after moving the tab at `from` to position `to`: it follows the
// tab it pointed at.
std::size_t active_after_move(std::size_t active, std::size_t from, std::size_t to);

// Moves one element of a list to another position, keeping the order of the rest.
template <class T>
void move_element(std::vector<T>& items, std::size_t from, std::size_t to) {
  if (from >= items.size() || to >= items.size() || from == to) return;
  T item = std::move(items[from]);
  items.erase(items.begin() + static_cast<std::ptrdiff_t>(from));
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(to), std::move(item));
}

// What the tab strip paints: every tab's title and modified flag, and which
// is active.
struct TabTitle {
  std::string title;
  bool dirty;
};
struct TabStripSnapshot {
  std::vector<TabTitle> tabs;
  std::size_t active = 0;
};
TabStripSnapshot snapshot_titles(const std::vector<Tab>& tabs, std::size_t active);
