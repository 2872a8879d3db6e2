#pragma once
// Everything about bringing the tabs back at start-up that can be decided
// from values: which files in the tabs folder are tab files, which stored
// text goes into which tab, which ids the tabs get, and which tab ends up
// active. The window layer gathers the index and the files' decrypted
// bytes, asks for the plan, and carries it out.

#include <cstddef>
#include <cstdint>
#include <optional>
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
  SecureBuffer text;  // valid UTF-8, for StoredText
};

struct RestorePlan {
  std::vector<RestoreTab> tabs;  // in strip order
  std::uint64_t next_id = 1;
  std::uint64_t requested_active = 0;      // the index's `active`, 0 without an index
  std::optional<std::size_t> active_tab;   // the plan tab that was active, if any
};

// The plan for an index (none when it was missing or unreadable) and the
// files of the tabs folder. A file that cannot be read is never handed to a
// tab: a tab whose file that is gets a fresh id, so that nothing the tab
// writes or deletes later can touch the file, which stays as it is.
RestorePlan plan_restore(std::optional<Index> index, std::vector<StoredTabFile> files);

// The active tab once the plan is carried out; `kept[i]` says whether
// plan.tabs[i] became a tab. The active tab stays active when it came
// back; otherwise the stored position is limited to the last tab.
std::size_t restored_active(const RestorePlan& plan, const std::vector<bool>& kept);
