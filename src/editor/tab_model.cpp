// Tab-list arithmetic without windows, so the rules users notice (which
// number a new tab gets, which tab is active after a close) are tested fast.

#include "editor/tab_model.h"

#include <algorithm>

std::uint32_t next_untitled_number(const std::vector<Tab>& tabs) {
  std::vector<std::uint32_t> used;
  for (const Tab& tab : tabs) {
    if (!tab.path) used.push_back(tab.untitled);
  }
  std::sort(used.begin(), used.end());
  std::uint32_t candidate = 1;
  for (std::uint32_t n : used) {
    if (n == candidate)
      ++candidate;
    else if (n > candidate)
      break;
  }
  return candidate;
}

std::string tab_title(const Tab& tab) {
  if (tab.path) {
    const std::string& path = *tab.path;
    const std::size_t slash = path.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.empty() ? path : name;
  }
  if (tab.untitled <= 1) return "Untitled";
  return "Untitled " + std::to_string(tab.untitled);
}

bool same_path(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

std::size_t active_after_close(std::size_t active, std::size_t removed, std::size_t count_before) {
  const std::size_t count_after = count_before == 0 ? 0 : count_before - 1;
  if ((removed < active || active >= count_after) && active > 0) return active - 1;
  return active;
}

std::size_t active_after_move(std::size_t active, std::size_t from, std::size_t to) {
  if (active == from) return to;
  if (from < active && to >= active) return active - 1;
  if (from > active && to <= active) return active + 1;
  return active;
}

TabStripSnapshot snapshot_titles(const std::vector<Tab>& tabs, std::size_t active) {
  TabStripSnapshot snapshot;
  snapshot.active = active;
  snapshot.tabs.reserve(tabs.size());
  for (const Tab& tab : tabs) snapshot.tabs.push_back({tab_title(tab), tab.dirty});
  return snapshot;
}
