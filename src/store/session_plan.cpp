// Restoring the tabs is the one moment the program reads every stored text
// at once, and the one where a wrong decision loses text for good: a tab
// that inherits the id of a file it could not read would overwrite or
// delete that file the next time it is stored or closed. So the decisions
// live here, as a pure function that the tests can drive through every
// combination of index, missing files and unreadable files.

#include "store/session_plan.h"

#include <algorithm>
#include <limits>
#include <map>
#include <set>

#include "base/utf.h"

namespace {

constexpr std::string_view tab_file_suffix = ".dat";

// No id can follow the largest one, so a tab may not have it: the next id
// handed out would wrap around to ids in use.
constexpr std::uint64_t reserved_id = std::numeric_limits<std::uint64_t>::max();

// Several names can stand for one id ("7.dat", "007.dat", "+7.dat"); the
// program writes only the plain one, so that one wins, then the smallest.
bool better_name(std::uint64_t id, const std::string& candidate, const std::string& current) {
  const std::string canonical = tab_file_name(id);
  if (current == canonical) return false;
  if (candidate == canonical) return true;
  return candidate < current;
}

std::optional<SecureBuffer> take_text(StoredTabFile& file) {
  if (!file.plain || !is_valid_utf8(file.plain->view())) return std::nullopt;
  return std::move(*file.plain);
}

}  // namespace

std::string tab_file_name(std::uint64_t id) { return std::to_string(id) + std::string(tab_file_suffix); }

std::optional<std::uint64_t> tab_file_id(std::string_view name) {
  if (!name.ends_with(tab_file_suffix)) return std::nullopt;
  std::string_view digits = name.substr(0, name.size() - tab_file_suffix.size());
  if (digits.starts_with('+')) digits.remove_prefix(1);
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

RestorePlan plan_restore(std::optional<Index> index, std::vector<StoredTabFile> files) {
  std::map<std::uint64_t, StoredTabFile*> file_of;
  for (StoredTabFile& file : files) {
    const auto id = tab_file_id(file.name);
    if (!id || *id == reserved_id) continue;
    auto [slot, inserted] = file_of.try_emplace(*id, &file);
    if (!inserted && better_name(*id, file.name, slot->second->name)) slot->second = &file;
  }

  RestorePlan plan;
  // Unreadable files count too: a new tab must never take the id of a
  // file that is still there.
  std::optional<std::uint64_t> largest;
  auto consider = [&](std::uint64_t id) {
    if (id != reserved_id) largest = std::max(largest.value_or(0), id);
  };
  if (index) {
    for (const Entry& entry : index->tabs) consider(entry.id);
  }
  for (const auto& [id, file] : file_of) consider(id);
  plan.next_id = largest ? *largest + 1 : 1;

  std::set<std::uint64_t> named;
  if (index) {
    plan.requested_active = index->active;
    for (std::size_t i = 0; i < index->tabs.size(); ++i) {
      Entry& entry = index->tabs[i];
      RestoreTab tab;
      // An id that an earlier entry already has belongs to that tab's file.
      bool fresh_id = entry.id == reserved_id || !named.insert(entry.id).second;
      if (!fresh_id) {
        if (auto file = file_of.find(entry.id); file != file_of.end()) {
          if (auto text = take_text(*file->second)) {
            tab.source = RestoreSource::StoredText;
            tab.text = std::move(*text);
          } else {
            fresh_id = true;
          }
        }
      }
      if (tab.source != RestoreSource::StoredText) {
        tab.source = entry.path ? RestoreSource::LoadPath : RestoreSource::Empty;
      }
      if (fresh_id) {
        // Only ids crafted near the top of the range can exhaust them; such
        // a tab has no stored text to lose, so it is left out.
        if (plan.next_id == reserved_id) continue;
        tab.id = plan.next_id++;
      } else {
        tab.id = entry.id;
      }
      if (i == index->active) plan.active_tab = plan.tabs.size();
      tab.entry = std::move(entry);
      plan.tabs.push_back(std::move(tab));
    }
  }

  // Texts no entry names, in ascending id order; unreadable ones stay on
  // disk for a later run that may be able to read them.
  for (const auto& [id, file] : file_of) {
    if (named.contains(id)) continue;
    auto text = take_text(*file);
    if (!text) continue;
    RestoreTab tab;
    tab.id = id;
    tab.source = RestoreSource::StoredText;
    tab.text = std::move(*text);
    plan.tabs.push_back(std::move(tab));
  }
  return plan;
}

std::size_t restored_active(const RestorePlan& plan, const std::vector<bool>& kept) {
  const std::size_t limit = std::min(kept.size(), plan.tabs.size());
  std::size_t count = 0;
  std::optional<std::size_t> followed;
  for (std::size_t i = 0; i < limit; ++i) {
    if (!kept[i]) continue;
    if (plan.active_tab == i) followed = count;
    ++count;
  }
  if (followed) return *followed;
  if (count == 0) return 0;
  return static_cast<std::size_t>(std::min<std::uint64_t>(plan.requested_active, count - 1));
}
