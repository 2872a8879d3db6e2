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

constexpr std::uint64_t largest_id = std::numeric_limits<std::uint64_t>::max();

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

std::uint64_t first_free_id(const std::set<std::uint64_t>& taken) {
  constexpr std::uint64_t last_start = largest_id - fresh_id_room + 1;
  if (taken.empty()) return 1;
  if (*taken.rbegin() < last_start) return *taken.rbegin() + 1;
  // The largest ids are taken: the lowest gap wide enough. There always is
  // one, since the ids taken are far fewer than 2^32.
  std::uint64_t start = 1;
  for (const std::uint64_t id : taken) {
    if (id < start) continue;
    if (id - start >= fresh_id_room) return start;
    if (id >= last_start) break;
    start = id + 1;
  }
  return start;
}

RestorePlan plan_restore(std::optional<Index> index, std::vector<StoredTabFile> files) {
  std::map<std::uint64_t, StoredTabFile*> file_of;
  // Every id the folder holds, whatever name it is spelled with: a new tab
  // must never take the id of a file that is still there, readable or not.
  std::set<std::uint64_t> taken;
  for (StoredTabFile& file : files) {
    const auto id = tab_file_id(file.name);
    if (!id) continue;
    taken.insert(*id);
    auto [slot, inserted] = file_of.try_emplace(*id, &file);
    if (!inserted && better_name(*id, file.name, slot->second->name)) slot->second = &file;
  }
  if (index) {
    for (const Entry& entry : index->tabs) taken.insert(entry.id);
  }

  RestorePlan plan;
  plan.next_id = first_free_id(taken);

  std::set<std::uint64_t> named;
  if (index) {
    plan.requested_active = index->active;
    for (std::size_t i = 0; i < index->tabs.size(); ++i) {
      Entry& entry = index->tabs[i];
      RestoreTab tab;
      // An id that an earlier entry already has belongs to that tab's file.
      bool fresh_id = !named.insert(entry.id).second;
      if (!fresh_id) {
        if (auto file = file_of.find(entry.id); file != file_of.end()) {
          if (!entry.dirty && !file->second->written_since_index) {
            // A clean tab has no stored text; one left on disk is older
            // than the tab (its file, or the nothing it was emptied to).
            if (file->second->plain) {
              plan.stale_files.push_back(file->second->name);
            } else {
              fresh_id = true;
            }
          } else if (auto text = take_text(*file->second)) {
            tab.source = RestoreSource::StoredText;
            tab.text = std::move(*text);
            tab.file_name = file->second->name;
          } else {
            fresh_id = true;
          }
        }
      }
      if (tab.source != RestoreSource::StoredText) {
        tab.source = entry.path ? RestoreSource::LoadPath : RestoreSource::Empty;
      }
      tab.id = fresh_id ? plan.next_id++ : entry.id;
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
    tab.file_name = file->name;
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

void StoreLedger::restored_from(std::uint64_t id, const std::string& name) {
  if (name != tab_file_name(id)) restored_from_[id] = name;
}

std::vector<std::string> StoreLedger::names_of(std::uint64_t id) const {
  std::vector<std::string> names{tab_file_name(id)};
  if (auto old = restored_from_.find(id); old != restored_from_.end()) names.push_back(old->second);
  return names;
}

void StoreLedger::text_written(std::uint64_t id) {
  const std::string own = tab_file_name(id);
  unwanted_.erase(own);
  unsealed_.erase(own);
  if (auto old = restored_from_.find(id); old != restored_from_.end()) {
    unwanted_.insert(old->second);
    restored_from_.erase(old);
  }
}

void StoreLedger::text_dropped(std::uint64_t id) {
  for (std::string& name : names_of(id)) unwanted_.insert(std::move(name));
  restored_from_.erase(id);
}

std::vector<std::string> StoreLedger::removable(const Index& index) const {
  std::set<std::string> referred;
  for (const Entry& entry : index.tabs) {
    if (!entry.dirty) continue;
    for (std::string& name : names_of(entry.id)) referred.insert(std::move(name));
  }
  std::vector<std::string> out;
  for (const std::string& name : unwanted_) {
    if (!referred.contains(name)) out.push_back(name);
  }
  return out;
}

void StoreLedger::removed(const std::string& name) {
  unwanted_.erase(name);
  unsealed_.erase(name);
}

void StoreLedger::set_unsealed(std::set<std::string> tab_files, bool index) {
  unsealed_ = std::move(tab_files);
  unsealed_index_ = index;
  retried_ = false;
}

bool StoreLedger::take_unsealed_warning() {
  if (!retried_ || !has_unsealed() || warned_) return false;
  warned_ = true;
  return true;
}
