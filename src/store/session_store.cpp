// Every tab outlives the program, saved as a file or not. This file keeps
// them in the data folder: the protected text of each modified tab in
// "tabs", and a protected index of all tabs in "session.dat", written two
// seconds after the last change and when the program ends, read back once
// at start-up. Nothing reaches the disk unprotected, and no stored text is
// deleted unless the tab it belongs to no longer needs it: a file the
// program cannot read today (another key, a damaged disk) may still be
// readable tomorrow, so it is never overwritten or removed on the way.

#include <windows.h>

#include "store/session_store.h"

#include <algorithm>
#include <array>
#include <expected>
#include <set>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "base/file_io.h"
#include "base/handles.h"
#include "base/utf.h"
#include "model/app_state.h"
#include "store/protect.h"
#include "store/session_index.h"
#include "store/session_plan.h"
#include "store/settings.h"
#include "store/vault_prompts.h"
#include "text/editor_text.h"
#include "ui/message_box.h"

namespace {

constexpr std::string_view index_file = "session.dat";
constexpr std::string_view tabs_folder = "tabs";

// The warning comes once per run, however often storing fails.
bool warned_store_unavailable = false;

// Which stored texts wait to be removed and which are not yet under the
// password; one per run, begun afresh by open_store.
StoreLedger ledger;

std::string tabs_dir(const std::string& dir) { return dir + "\\" + std::string(tabs_folder); }
std::string tab_file_path(const std::string& dir, std::string_view name) {
  return tabs_dir(dir) + "\\" + std::string(name);
}
std::string index_path(const std::string& dir) { return dir + "\\" + std::string(index_file); }

// When a file was last written, in the file system's 100 ns units.
std::optional<ULONGLONG> last_written(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(to_wide(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return ULARGE_INTEGER{{data.ftLastWriteTime.dwLowDateTime, data.ftLastWriteTime.dwHighDateTime}}.QuadPart;
}

std::span<const std::uint8_t> bytes_of(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The editor's text, held as a secret: wiped when it goes, whatever way it
// goes. It is the string the editor gave, not a copy of it: a large tab's
// text is not copied once more on every store.
class EditorTextSecret {
 public:
  explicit EditorTextSecret(HWND editor) : text_(get_editor_text(editor)) {}
  ~EditorTextSecret() { wipe_contents(text_); }
  EditorTextSecret(const EditorTextSecret&) = delete;
  EditorTextSecret& operator=(const EditorTextSecret&) = delete;
  bool empty() const { return text_.empty(); }
  std::span<const std::uint8_t> span() const { return bytes_of(text_); }

 private:
  std::string text_;
};

// Where the store is and the key, copied out of the state for one
// operation; the key copy is wiped with it.
struct StoreAccess {
  std::string dir;
  std::optional<SecureBuffer> key;
};

std::optional<StoreAccess> store_access() {
  auto state = app_state().borrow();
  if (!state || !state->store) return std::nullopt;
  StoreAccess access{state->store->dir, std::nullopt};
  if (state->store->vault_key) access.key = state->store->vault_key->clone();
  return access;
}

// Creates `path` and every missing folder above it; true when it is a
// folder afterwards, whatever happened on the way.
bool create_folders(const std::wstring& path) { return create_folder_path(to_utf8(path)); }

bool missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// A file that is not there, or one too large for the program to have
// written it: either way no key reads it, and rewriting leaves it alone.
bool unreadable_by_any_key(DWORD error) { return missing(error) || error == ERROR_FILE_TOO_LARGE; }

// True when the file is gone afterwards, also when it was never there.
bool remove_file(const std::string& path) { return DeleteFileW(to_wide(path).c_str()) || missing(GetLastError()); }

// Protects `plain` and writes it atomically; true on success.
bool write_protected(const std::string& path, std::span<const std::uint8_t> plain,
                     const std::optional<SecureBuffer>& key) {
  auto sealed = protect_data(plain, key);
  if (!sealed) return false;
  return write_file_atomic(path, *sealed).has_value();
}

// The names in "tabs" that stand for a tab id, and whether the listing saw
// the whole folder.
struct Listing {
  std::vector<std::string> names;
  bool complete = true;
  // "<id>.dat.tmp": a write that a crash or a power cut ended before it
  // replaced its file. The file it was meant to replace is still whole.
  std::vector<std::string> interrupted;
};

Listing list_tab_files(const std::string& dir) {
  Listing listing;
  WIN32_FIND_DATAW found{};
  UniqueFind find(FindFirstFileW(to_wide(tabs_dir(dir) + "\\*").c_str(), &found));
  if (!find) {
    listing.complete = missing(GetLastError());
    return listing;
  }
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string name = to_utf8(found.cFileName);
    if (tab_file_id(name)) {
      listing.names.push_back(std::move(name));
    } else if (name.ends_with(".tmp") && tab_file_id(std::string_view(name).substr(0, name.size() - 4))) {
      listing.interrupted.push_back(std::move(name));
    }
  } while (FindNextFileW(find.get(), &found));
  listing.complete = GetLastError() == ERROR_NO_MORE_FILES;
  return listing;
}

// Whether bytes read under `key` still need to be put under it: a readable
// file in the system's form while a password is set.
bool needs_sealing(std::span<const std::uint8_t> bytes, const std::optional<SecureBuffer>& key) {
  return key && !is_sealed_form(bytes);
}

// The index, or none when it is missing, cannot be unprotected or does not
// parse.
std::optional<Index> read_index(const StoreAccess& access) {
  auto bytes = read_stored_file(index_path(access.dir), StoredFile::Index);
  if (!bytes) return std::nullopt;
  auto plain = unprotect_data(*bytes, access.key);
  if (!plain) return std::nullopt;
  auto index = parse_index(plain->view());
  if (!index) return std::nullopt;
  if (needs_sealing(*bytes, access.key)) ledger.index_unsealed();
  return std::move(*index);
}

// Puts one file under the current key; true when nothing is left to do
// for it: it is sealed now or already, it is gone, or nothing can read it.
bool reseal_file(const std::string& path, StoredFile kind, const std::optional<SecureBuffer>& key) {
  auto bytes = read_stored_file(path, kind);
  if (!bytes) return unreadable_by_any_key(bytes.error());
  if (is_sealed_form(*bytes)) return true;
  auto plain = unprotect_data(*bytes, key);
  if (!plain) return true;
  return write_protected(path, plain->span(), key);
}

// What a rewrite under a new password left under the system's protection
// gets another try at every store.
void reseal_leftovers(const StoreAccess& access) {
  if (!ledger.has_unsealed()) return;
  if (!access.key) {
    ledger.set_unsealed({}, false);
    return;
  }
  if (ledger.unsealed_index() && reseal_file(index_path(access.dir), StoredFile::Index, access.key)) {
    ledger.index_sealed();
  }
  const std::set<std::string> names = ledger.unsealed_tab_files();
  for (const std::string& name : names) {
    if (reseal_file(tab_file_path(access.dir, name), StoredFile::Tab, access.key)) ledger.sealed(name);
  }
  ledger.retried();
}

}  // namespace

std::expected<std::vector<std::uint8_t>, std::uint32_t> read_stored_file(const std::string& path, StoredFile kind) {
  const std::uint64_t cap = kind == StoredFile::Index ? MAX_INDEX_FILE_BYTES : MAX_TAB_FILE_BYTES;
  return read_all_bytes(path, {.max_size = cap, .exclusive_of_writers = true});
}

std::optional<SessionStore> open_store(std::optional<SecureBuffer> vault_key) {
  std::optional<std::string> dir = data_folder();
  if (!dir || !create_folders(to_wide(tabs_dir(*dir)))) return std::nullopt;
  ledger = StoreLedger{};
  return SessionStore{std::move(*dir), std::move(vault_key)};
}

void schedule_store() {
  if (HWND frame = frame_window()) SetTimer(frame, TIMER_STORE, TIMER_STORE_MS, nullptr);
}

void delete_tab_file(std::uint64_t id) {
  {
    auto state = app_state().borrow();
    if (!state || !state->store) return;
  }
  // Until an index without this text is on disk, the one there may still
  // need it: a crash now must bring the tab back as it was, not empty.
  ledger.text_dropped(id);
  schedule_store();
}

bool store_has_vault_key() {
  auto state = app_state().borrow();
  return state && state->store && state->store->vault_key;
}

bool store_session() {
  struct Pending {
    std::uint64_t id;
    HWND editor;
    bool dirty;
  };
  HWND frame = nullptr;
  std::optional<StoreAccess> access;
  std::vector<Pending> pending;
  {
    auto state = app_state().borrow();
    if (!state) return false;
    frame = state->frame;
    if (state->store) {
      access = StoreAccess{state->store->dir, std::nullopt};
      if (state->store->vault_key) access->key = state->store->vault_key->clone();
      for (Tab& tab : state->tabs) {
        if (!tab.store_pending) continue;
        tab.store_pending = false;
        pending.push_back({tab.id, tab.editor, tab.dirty});
      }
    }
  }
  if (frame) KillTimer(frame, TIMER_STORE);
  if (!access) return false;

  std::vector<std::uint64_t> failed;
  for (const Pending& tab : pending) {
    const std::string path = tab_file_path(access->dir, tab_file_name(tab.id));
    const EditorTextSecret text(tab.editor);
    if (tab.dirty && !text.empty()) {
      if (write_protected(path, text.span(), access->key)) {
        ledger.text_written(tab.id);
      } else {
        failed.push_back(tab.id);
      }
    } else if (tab.dirty) {
      // Emptied: any index, old or new, brings this tab back without this
      // text once it is gone, so it can go at once. A file that will not go
      // now (a scanner holding it) stays on the list until it does; the
      // index below calls the tab clean, so no start restores it meanwhile.
      const std::vector<std::string> names = ledger.names_of(tab.id);
      ledger.text_dropped(tab.id);
      for (const std::string& name : names) {
        if (remove_file(tab_file_path(access->dir, name))) ledger.removed(name);
      }
    } else {
      ledger.text_dropped(tab.id);
    }
  }
  if (!failed.empty()) {
    auto state = app_state().borrow();
    if (state) {
      for (Tab& tab : state->tabs) {
        if (std::find(failed.begin(), failed.end(), tab.id) != failed.end()) tab.store_pending = true;
      }
    }
  }

  Index index;
  std::vector<HWND> editors;
  {
    auto state = app_state().borrow();
    if (!state) return false;
    index.active = state->active;
    for (const Tab& tab : state->tabs) {
      index.tabs.push_back(Entry{.id = tab.id,
                                 .path = tab.path,
                                 .untitled = tab.untitled,
                                 .encoding = tab.encoding,
                                 .eol = tab.eol,
                                 .dirty = tab.dirty,
                                 .sel = {0, 0},
                                 .lossy = tab.lossy});
      editors.push_back(tab.editor);
    }
  }
  for (std::size_t i = 0; i < editors.size(); ++i) {
    const CHARRANGE sel = get_selection(editors[i]);
    index.tabs[i].sel = {sel.cpMin, sel.cpMax};
    // An emptied tab has no stored text and comes back unmodified; said
    // here, so that a text of it still on disk is known to be stale.
    if (index.tabs[i].dirty && !editor_has_text(editors[i])) index.tabs[i].dirty = false;
  }
  // A path that cannot be written as JSON fails the index, never the texts.
  auto json = serialize_index(index);
  const bool index_written = json && write_protected(index_path(access->dir), bytes_of(*json), access->key);
  if (json) secure_wipe(json->data(), json->capacity());
  if (index_written) {
    ledger.index_sealed();
    // Only now that the index on disk no longer refers to them.
    for (const std::string& name : ledger.removable(index)) {
      if (remove_file(tab_file_path(access->dir, name))) ledger.removed(name);
    }
  }
  reseal_leftovers(*access);
  return index_written && failed.empty();
}

void on_store_timer() {
  const bool stored = store_session();
  if (ledger.has_unsealed()) {
    schedule_store();
    if (ledger.take_unsealed_warning()) message_box(frame_window(), false, msg_tabs_not_under_password, {"OK"}, 0, 0);
  }
  if (stored) return;
  bool has_store = false;
  {
    auto state = app_state().borrow();
    has_store = state && state->store;
  }
  if (has_store) schedule_store();
  warn_store_unavailable();
}

std::optional<RestorePlan> read_stored_session() {
  const std::optional<StoreAccess> access = store_access();
  if (!access) return std::nullopt;

  std::optional<Index> index = read_index(*access);
  const std::optional<ULONGLONG> index_written = last_written(index_path(access->dir));
  std::vector<StoredTabFile> files;
  Listing listing = list_tab_files(access->dir);
  // Left over from a run that ended in the middle of a write; they hold only
  // protected bytes, but nothing else would ever remove them.
  for (const std::string& name : listing.interrupted) delete_file_if_present(tab_file_path(access->dir, name));
  for (std::string& name : listing.names) {
    StoredTabFile file{std::move(name), std::nullopt};
    const std::string path = tab_file_path(access->dir, file.name);
    // Equal times count as later: a tie may be two stores within one tick of
    // the clock, and restoring an old text beats losing a new one.
    const std::optional<ULONGLONG> written = last_written(path);
    file.written_since_index = index_written && written && *written >= *index_written;
    if (auto bytes = read_stored_file(path, StoredFile::Tab)) {
      if (auto plain = unprotect_data(*bytes, access->key)) {
        file.plain = std::move(*plain);
        // Left under the system's protection by a run that could not
        // finish putting everything under the password.
        if (needs_sealing(*bytes, access->key)) ledger.add_unsealed(file.name);
      }
    }
    files.push_back(std::move(file));
  }
  RestorePlan plan = plan_restore(std::move(index), std::move(files));
  for (const std::string& name : plan.stale_files) ledger.stale(name);
  return plan;
}

void note_restored_text(std::uint64_t id, const std::string& file_name) { ledger.restored_from(id, file_name); }

bool rekey_store(std::optional<SecureBuffer> new_key) {
  static_cast<void>(store_session());

  // Out of the state for the whole rewrite, so that nothing else writes
  // under either key meanwhile.
  std::optional<SessionStore> store;
  {
    auto state = app_state().borrow();
    if (state) store = std::exchange(state->store, std::nullopt);
  }
  if (!store) return false;

  // Everything readable under the current protection, held in memory.
  // A file that cannot be read at all may still hold text under the old
  // key, which would be lost with the vault: that is a failure. A file that
  // reads but does not open is already unreadable under any key the
  // program has, and stays as it is.
  bool complete = true;
  const std::optional<SecureBuffer>& old_key = store->vault_key;
  // Which files end up under which protection; the index under either.
  std::set<std::string> still_old, now_new;
  bool index_old = false, index_new = false;
  std::optional<SecureBuffer> index_text;
  if (auto bytes = read_stored_file(index_path(store->dir), StoredFile::Index)) {
    if (auto plain = unprotect_data(*bytes, old_key); plain && parse_index(plain->view())) {
      index_text = std::move(*plain);
    }
  } else if (!unreadable_by_any_key(bytes.error())) {
    complete = false;
    index_old = true;
  }
  std::vector<std::pair<std::string, SecureBuffer>> texts;
  Listing listing = list_tab_files(store->dir);
  complete = complete && listing.complete;
  for (const std::string& name : listing.names) {
    auto bytes = read_stored_file(tab_file_path(store->dir, name), StoredFile::Tab);
    if (!bytes) {
      if (!unreadable_by_any_key(bytes.error())) {
        complete = false;
        still_old.insert(name);
      }
      continue;
    }
    if (auto plain = unprotect_data(*bytes, old_key)) texts.emplace_back(name, std::move(*plain));
  }

  if (index_text) {
    index_new = write_protected(index_path(store->dir), index_text->span(), new_key);
    index_old = !index_new;
    complete = complete && index_new;
  }
  for (const auto& [name, text] : texts) {
    if (write_protected(tab_file_path(store->dir, name), text.span(), new_key)) {
      now_new.insert(name);
    } else {
      still_old.insert(name);
      complete = false;
    }
  }

  // After a partial rewrite some files need the old key and some the new
  // one. A key opens the system-protected form as well, so keeping a key
  // (the new one if there is one) leaves everything readable. While a key
  // is kept, whatever is in the system's form is put under it at the next
  // stores: a password the user was told is set covers every tab.
  if (complete) {
    ledger.set_unsealed({}, false);
  } else if (new_key) {
    ledger.set_unsealed(std::move(still_old), index_old);
  } else if (old_key) {
    ledger.set_unsealed(std::move(now_new), index_new);
  }
  if (complete || new_key) store->vault_key = std::move(new_key);
  {
    auto state = app_state().borrow();
    if (state) state->store = std::move(store);
  }
  return complete;
}

void warn_store_unavailable() {
  if (warned_store_unavailable) return;
  warned_store_unavailable = true;
  HWND owner = nullptr;
  std::optional<std::string> folder;
  {
    auto state = app_state().borrow();
    if (state) {
      owner = state->frame;
      if (state->store) folder = state->store->dir;
    }
  }
  if (!folder) folder = data_folder();
  const std::string text = "Nimbol cannot store its tabs in its data folder:\n\n" +
                           folder.value_or("%APPDATA%\\Nimbol") +
                           "\n\nUntil that works again, text that is not saved as a file is lost when Nimbol "
                           "closes. Nimbol asks before closing.";
  message_box(owner, false, text, {"OK"}, 0, 0);
}
