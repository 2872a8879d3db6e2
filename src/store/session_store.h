#pragma once
// The session store: every tab's text and the tab list, kept protected in
// the data folder between runs.
//
// The operations below are the Windows layer and run on the GUI thread.
// None of them may be called while the application state is borrowed: they
// borrow it themselves, and they talk to editors and message boxes.

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <vector>

#include "base/secure_buffer.h"
#include "model/store_location.h"
#include "store/session_plan.h"

// The frame's store timer: restarted by every change, so the tabs are
// written once the user pauses.
inline constexpr unsigned TIMER_STORE = 1;
inline constexpr unsigned TIMER_STORE_MS = 2000;

// The largest files the store reads; a larger one counts as unreadable, like
// a damaged one, and stays where it is. An index entry is a few hundred
// bytes and a process cannot hold more than about ten thousand editor
// windows (the system's quota of window objects), so no real index comes
// near 64 MiB, the sealing included. A tab's text is at most what its
// editor holds, 2^31 - 2 UTF-16 units, three UTF-8 bytes each at most,
// plus the few bytes protection adds.
inline constexpr std::uint64_t MAX_INDEX_FILE_BYTES = std::uint64_t{64} << 20;
inline constexpr std::uint64_t MAX_TAB_FILE_BYTES = 3 * std::uint64_t{0x7FFFFFFE} + (std::uint64_t{64} << 10);

enum class StoredFile : std::uint8_t { Index, Tab };

// A file of the store, read whole while no one else may write it, within
// the cap of its kind (ERROR_FILE_TOO_LARGE beyond it), or the system's
// error code (ERROR_FILE_NOT_FOUND and ERROR_PATH_NOT_FOUND when there is
// no such file).
std::expected<std::vector<std::uint8_t>, std::uint32_t> read_stored_file(const std::string& path, StoredFile kind);

// The store in %APPDATA%\Nimbol, with its folder "tabs" created, or none when
// APPDATA is not set or the folder cannot be made (the key is then wiped).
std::optional<SessionStore> open_store(std::optional<SecureBuffer> vault_key);

// (Re)starts the frame's two-second store timer.
void schedule_store();

// Writes the text of every tab that changed since the last run (removing the
// stored text of emptied tabs), then the index of all tabs, and only then
// removes the texts that index no longer refers to. Files a rewrite under a
// new password could not reach are tried again. False when a text or the
// index could not be written or there is no store; tabs whose text could
// not be written stay pending for the next run.
[[nodiscard]] bool store_session();

// The frame's store timer: store, and when that fails try again two seconds
// later (while there is a store) and warn, once per run. The same for files
// that are still not under the password, with a warning of their own.
void on_store_timer();

// What the previous run left, read and opened, as the plan of the tabs to
// rebuild (start-up creates them). None without a store.
std::optional<RestorePlan> read_stored_session();

// The tab `id` was rebuilt from the stored text in `file_name`, which stays
// its file until the next store writes the text under the tab's own name.
void note_restored_text(std::uint64_t id, const std::string& file_name);

// The tab no longer needs its stored text (it was saved, loaded from a file
// or closed). The text is removed by the next store, once the index written
// there no longer refers to it; that store is scheduled here.
void delete_tab_file(std::uint64_t id);

// Whether a password is set: the store holds the vault's key.
[[nodiscard]] bool store_has_vault_key();

// Rewrites the index and every stored tab text under a new protection: the
// password form with `new_key`, the per-user system protection without.
// True only when everything that was stored could be rewritten. On false
// some files may still need the previous key, so the vault must stay; the
// store then keeps a key that opens everything written (the new one when
// there is one, else the previous one), and the files left in the system's
// form are put under that key by the stores that follow. Without a store,
// false: nothing could be rewritten, and `new_key` is wiped.
[[nodiscard]] bool rekey_store(std::optional<SecureBuffer> new_key);

// The one warning per run that tabs cannot be stored.
void warn_store_unavailable();
