// Saving tabs. The target is never opened for writing before the new bytes
// are safely on disk beside it: they go to a temporary file of a short name
// of their own in the same folder, which is flushed and then swapped in with
// one call, so a crash or a full disk leaves the old file intact (and at
// worst a stray temporary file).
//
// The state is borrowed only between the calls that run message loops (the
// file dialog, the message boxes, the editor): the tab is found again by its
// id after each, since the tab list may have changed meanwhile.

#include <windows.h>

#include "editor/saving.h"

#include <algorithm>
#include <new>
#include <optional>

#include "base/file_io.h"
#include "base/secure_buffer.h"
#include "base/system_error.h"
#include "base/utf.h"
#include "editor/file_dialog.h"
#include "editor/save_plan.h"
#include "editor/tab_model.h"
#include "editor/tabs.h"
#include "model/app_state.h"
#include "model/frame_hooks.h"
#include "model/veil_state.h"
#include "store/random.h"
#include "store/session_store.h"
#include "text/editor_text.h"
#include "ui/message_box.h"

namespace {

// A temporary name beside `target` that nothing holds yet. A file left by
// an earlier save that failed may be the only copy of its text, so a new
// attempt never reuses, overwrites or deletes it.
std::string fresh_temporary_path(const std::string& target) {
  std::string path;
  do {
    std::uint64_t unique = 0;
    fill_random(std::span(reinterpret_cast<std::uint8_t*>(&unique), sizeof unique));
    path = temporary_save_path(target, unique);
  } while (exists_on_disk(path));
  return path;
}

// The safe save's steps on the real disk.
class WindowsSaveFiles final : public SaveFiles {
 public:
  WindowsSaveFiles(const std::string& target, std::span<const std::uint8_t> bytes)
      : target_(target), temporary_(fresh_temporary_path(target)), bytes_(bytes) {}

  const std::string& temporary() const { return temporary_; }

  std::uint32_t write_temporary() override { return write_all_bytes(temporary_, bytes_); }
  bool target_exists() override { return exists_on_disk(target_); }
  // This move is also the fallback after a refused replacement; it never
  // overwrites a read-only target.
  std::uint32_t move_into_place() override { return move_replacing(temporary_, target_); }
  std::uint32_t replace_target() override { return replace_keeping_identity(target_, temporary_); }
  std::uint32_t flush_target() override { return flush_existing_file(target_); }
  void remove_temporary() override { delete_file_if_present(temporary_); }

 private:
  std::string target_;
  std::string temporary_;
  std::span<const std::uint8_t> bytes_;
};

struct TabFacts {
  HWND frame = nullptr;
  Tab tab;
  std::string title;
};

std::optional<TabFacts> facts_at(std::size_t index) {
  auto state = app_state().borrow();
  if (!state || index >= state->tabs.size()) return std::nullopt;
  const Tab& tab = state->tabs[index];
  return TabFacts{state->frame, tab, tab_title(tab)};
}

struct EditorFacts {
  HWND editor = nullptr;
  Eol eol = Eol::CrLf;
  Encoding encoding = Encoding::Utf8;
  bool store_pending = false;
};

std::optional<EditorFacts> editor_of(std::uint64_t id) {
  auto state = app_state().borrow();
  const Tab* tab = state ? state->find_tab(id) : nullptr;
  if (!tab) return std::nullopt;
  return EditorFacts{tab->editor, tab->eol, tab->encoding, tab->store_pending};
}

void record_saved(std::uint64_t id, std::string target, Encoding used) {
  auto state = app_state().borrow();
  if (Tab* tab = state ? state->find_tab(id) : nullptr) mark_saved(*tab, std::move(target), used);
}

// The bytes the tab's text becomes on disk, or the error that prevented it.
struct Prepared {
  EncodedText encoded;
  std::uint32_t error = 0;
};

// The text passes through one copy on its way to the bytes (line ends and
// encoding are applied in one pass); it is wiped, not just freed.
Prepared prepare(const EditorFacts& facts) {
  std::string text;
  Prepared prepared;
  try {
    text = get_editor_text(facts.editor);
    prepared.encoded = file_bytes(text, facts.eol, facts.encoding);
  } catch (const std::bad_alloc&) {
    // A text too large to hold twice fails this save, not the program and
    // the user's other tabs.
    prepared.error = ERROR_NOT_ENOUGH_MEMORY;
  }
  wipe_contents(text);
  return prepared;
}

}  // namespace

SaveOutcome write_file_safely(const std::string& target, std::span<const std::uint8_t> bytes) {
  WindowsSaveFiles files(target, bytes);
  SaveOutcome outcome = run_safe_save(files);
  if (outcome.kept_temporary) outcome.kept_in = files.temporary();
  return outcome;
}

bool save_tab(std::size_t index, bool save_as) {
  const std::optional<TabFacts> facts = facts_at(index);
  if (!facts) return false;
  const TabBeingSaved saving(facts->tab.id);

  std::string target;
  if (save_as || !facts->tab.path) {
    // An untitled tab proposes its title ("Untitled 2", to which the dialog
    // adds .txt); a file tab its bare file name, not its folder.
    std::optional<std::string> chosen = file_dialog(facts->frame, facts->title, true);
    if (!chosen) return false;
    target = std::move(*chosen);
  } else {
    target = *facts->tab.path;
  }

  if (asks_before_overwriting(facts->tab, target)) {
    const std::size_t answer = message_box(facts->frame, false, lossy_question(facts->title), {"Save", "Cancel"}, 1, 1);
    if (answer != 0) return false;
  }

  // The dialog or the question may have been answered after the text got
  // covered: the covered text is not written then.
  if (veiled()) return false;
  const std::optional<EditorFacts> editor = editor_of(facts->tab.id);
  if (!editor) return false;
  // The stored copy catches up with the editor before the file changes: a
  // crash between the file's new bytes and the index that calls the tab
  // clean then brings back this very text, never an older one that a
  // second save would write over the newer file. A failed store does not
  // stop the save; its timer tries again.
  if (editor->store_pending && !store_session()) schedule_store();
  Prepared prepared = prepare(*editor);
  SaveOutcome outcome;
  outcome.error = prepared.error;
  if (outcome.error == 0) outcome = write_file_safely(target, prepared.encoded.bytes);
  wipe_contents(prepared.encoded.bytes);
  if (outcome.error != 0) {
    const std::string message = save_failure_message(target, system_error_text(outcome.error), outcome.kept_in);
    message_box(facts->frame, false, message, {"OK"}, 0, 0);
    return false;
  }

  record_saved(facts->tab.id, std::move(target), prepared.encoded.encoding);
  // The file now holds the text, so its stored copy goes, and the index
  // learns the tab's new path and that it is clean at once rather than two
  // seconds later.
  delete_tab_file(facts->tab.id);
  if (!store_session()) schedule_store();
  refresh_title();
  return true;
}
