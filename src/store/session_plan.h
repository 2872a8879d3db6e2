#pragma once
// Everything about bringing the tabs back at start-up that can be decided
// from values: which files in the tabs folder are tab files, which stored
// text goes into which tab, which ids the tabs get, and which tab ends up
// active. The window layer gathers the index and the files' decrypted
// bytes, asks for the plan, and carries it out.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/secure_buffer.h"
#include "store/session_index.h"

// "7.dat" for id 7.
std::string tab_file_name(std::uint64_t id);

// The id a file name in the tabs folder stands for: decimal digits (an
// optional leading "+", leading zeros allowed) followed by ".dat", the value
// within 64 bits. Anything else is not a tab file.
std::optional<std::uint64_t> tab_file_id(std::string_view name);

// A file of the tabs folder as read: its name and, when it could be read and
// unprotected, its bytes.
struct StoredTabFile {
  std::string name;
  std::optional<SecureBuffer> plain;
  // Last written no earlier than the index: it holds what was typed after
  // the index was written, and a kill came before the next one.
  bool written_since_index = false;
};

enum class RestoreSource : std::uint8_t {
  StoredText,  // `text` goes into the editor; the tab is modified
  LoadPath,    // no stored text: load the entry's path, drop the tab if that fails
  Empty,       // no stored text and no path: an empty untitled tab
};

struct RestoreTab {
  std::uint64_t id = 0;
  // None for a stored text that no index entry names: it comes back as a
  // modified untitled tab with a fresh untitled number.
  std::optional<Entry> entry;
  RestoreSource source = RestoreSource::Empty;
  SecureBuffer text;      // valid UTF-8, for StoredText
  std::string file_name;  // the file `text` came from, for StoredText
};

struct RestorePlan {
  std::vector<RestoreTab> tabs;  // in strip order
  // Readable texts of tabs the index calls clean: a save, an emptied text
  // or a closed tab gave them up, and their removal did not happen or did
  // not succeed. Never restored; they go once the next index is written.
  std::vector<std::string> stale_files;
  std::uint64_t next_id = 1;
  std::uint64_t requested_active = 0;     // the index's `active`, 0 without an index
  std::optional<std::size_t> active_tab;  // the plan tab that was active, if any
};

// How many ids after `next_id` are known to be free. A run cannot make
// anywhere near this many tabs (each has a window of its own), so the ids
// it hands out one after another never reach an id already in use.
inline constexpr std::uint64_t fresh_id_room = std::uint64_t{1} << 32;

// The first id of a run of `fresh_id_room` ids that are all free: one more
// than the largest id taken when that leaves room, otherwise the lowest
// such run from 1 on. Names in the tabs folder can be any number, the
// largest one included, and the ids a run hands out must neither wrap
// around nor meet one of them.
std::uint64_t first_free_id(const std::set<std::uint64_t>& taken);

// The plan for an index (none when it was missing or unreadable) and the
// files of the tabs folder. A file that cannot be read is never handed to a
// tab: a tab whose file that is gets a fresh id, so that nothing the tab
// writes or deletes later can touch the file, which stays as it is. A
// modified entry takes its text from its file; a clean one only from a file
// written since the index (typing after a save or an emptying, then a kill
// before the next index), and otherwise the file is stale.
RestorePlan plan_restore(std::optional<Index> index, std::vector<StoredTabFile> files);

// The active tab once the plan is carried out; `kept[i]` says whether
// plan.tabs[i] became a tab. The active tab stays active when it came
// back; otherwise the stored position is limited to the last tab.
std::size_t restored_active(const RestorePlan& plan, const std::vector<bool>& kept);

// What the store keeps in mind about its files between two writes of the
// index. Two rules decide it:
//  - a stored text goes only once an index that no longer refers to it is
//    on disk, so that a crash in between brings the tab back as it was,
//    never empty;
//  - while a password is set, a file that is not yet under it is known, so
//    that every later store tries again to put it there.
class StoreLedger {
 public:
  // Tab `id` came back with the text of file `name`. A spelling of its id
  // other than its own name ("007.dat" for 7) holds its text until the
  // text is written under the tab's own name.
  void restored_from(std::uint64_t id, const std::string& name);

  // The files that may hold the text of tab `id`: its own name first, then
  // the one it came back from, if that is another.
  std::vector<std::string> names_of(std::uint64_t id) const;

  // The tab's text was just written under its own name, under the current
  // protection: that name is wanted, the one it came back from no longer.
  void text_written(std::uint64_t id);
  // The tab needs no stored text any more (saved, loaded from a file,
  // closed): its files go once the index says so.
  void text_dropped(std::uint64_t id);
  // A stored text the restore found stale: it goes like a dropped one.
  void stale(const std::string& name) { unwanted_.insert(name); }

  // With `index` on disk: the files waiting to go that it does not refer
  // to. A modified entry refers to every file that may hold its text.
  std::vector<std::string> removable(const Index& index) const;
  // `name` is gone from the tabs folder.
  void removed(const std::string& name);

  // The files not under the current protection after a rewrite (tab file
  // names, and whether the index is one of them); replaces what was known.
  void set_unsealed(std::set<std::string> tab_files, bool index);
  void add_unsealed(const std::string& tab_file) { unsealed_.insert(tab_file); }
  void index_unsealed() { unsealed_index_ = true; }
  const std::set<std::string>& unsealed_tab_files() const { return unsealed_; }
  bool unsealed_index() const { return unsealed_index_; }
  bool has_unsealed() const { return unsealed_index_ || !unsealed_.empty(); }
  // `name` (a tab file) or the index is now under the current protection,
  // or gone.
  void sealed(const std::string& tab_file) { unsealed_.erase(tab_file); }
  void index_sealed() { unsealed_index_ = false; }
  // A store just tried again to protect what was left.
  void retried() { retried_ = has_unsealed(); }
  // True exactly once: when something is still not protected after a store
  // tried again.
  bool take_unsealed_warning();

 private:
  std::map<std::uint64_t, std::string> restored_from_;
  std::set<std::string> unwanted_;
  std::set<std::string> unsealed_;
  bool unsealed_index_ = false;
  bool retried_ = false;
  bool warned_ = false;
};
