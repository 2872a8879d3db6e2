// Saving tabs. The target is never opened for writing before the new bytes
// are safely on disk beside it: they go to "<target>.nimbol-save", which is
// flushed and then swapped in with one call, so a crash or a full disk
// leaves the old file intact (and at worst a stray temporary file).
//
// The state is borrowed only between the calls that run message loops (the
// file dialog, the message boxes, the editor): the tab is found again by its
// id after each, since the tab list may have changed meanwhile.

#include <windows.h>

#include "editor/saving.h"

#include <algorithm>
#include <new>
#include <optional>

#include "model/app_state.h"
#include "model/frame_hooks.h"
#include "base/handles.h"
#include "base/system_error.h"
#include "base/utf.h"
#include "editor/editor.h"
#include "editor/file_dialog.h"
#include "editor/save_plan.h"
#include "editor/tab_model.h"
#include "store/session_store.h"
#include "ui/message_box.h"

namespace {

// A failed call's error; never 0, so that it cannot pass for success.
std::uint32_t last_error() {
  const DWORD error = GetLastError();
  return error == 0 ? ERROR_GEN_FAILURE : error;
}

class WindowsSaveFiles final : public SaveFiles {
 public:
  WindowsSaveFiles(const std::string& target, std::span<const std::uint8_t> bytes)
      : target_(to_wide(target)), temporary_(to_wide(temporary_save_path(target))), bytes_(bytes) {}

  std::uint32_t write_temporary() override {
    UniqueFile file(
        CreateFileW(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return last_error();
    std::span<const std::uint8_t> rest = bytes_;
    while (!rest.empty()) {
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 1u << 30));
      DWORD written = 0;
      if (!WriteFile(file.get(), rest.data(), want, &written, nullptr)) return last_error();
      // A short write is carried on from where it stopped; one that makes
      // no progress at all would loop for ever.
      if (written == 0) return ERROR_WRITE_FAULT;
      rest = rest.subspan(written);
    }
    if (!FlushFileBuffers(file.get())) return last_error();
    // Closing can still report a deferred write error.
    if (!CloseHandle(file.release())) return last_error();
    return 0;
  }

  bool target_exists() override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExW(target_.c_str(), GetFileExInfoStandard, &data) != 0;
  }

  std::uint32_t move_into_place() override {
    // A read-only file is never overwritten. Windows refuses this move by
    // itself, but not every file system or emulation of it does, and this
    // move is also the fallback after a refused replacement.
    const DWORD attributes = GetFileAttributesW(target_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
    if (!MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return last_error();
    }
    return 0;
  }

  std::uint32_t replace_target() override {
    if (!ReplaceFileW(target_.c_str(), temporary_.c_str(), nullptr, 0, nullptr, nullptr)) return last_error();
    return 0;
  }

  std::uint32_t flush_target() override {
    UniqueFile file(CreateFileW(target_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return last_error();
    if (!FlushFileBuffers(file.get())) return last_error();
    return 0;
  }

  void remove_temporary() override { DeleteFileW(temporary_.c_str()); }

 private:
  std::wstring target_;
  std::wstring temporary_;
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
};

std::optional<EditorFacts> editor_of(std::uint64_t id) {
  auto state = app_state().borrow();
  if (!state) return std::nullopt;
  for (const Tab& tab : state->tabs) {
    if (tab.id == id) return EditorFacts{tab.editor, tab.eol, tab.encoding};
  }
  return std::nullopt;
}

void record_saved(std::uint64_t id, std::string target, Encoding used) {
  auto state = app_state().borrow();
  if (!state) return;
  for (Tab& tab : state->tabs) {
    if (tab.id != id) continue;
    mark_saved(tab, std::move(target), used);
    return;
  }
}

// The bytes the tab's text becomes on disk, or the error that prevented it.
struct Prepared {
  EncodedText encoded;
  std::uint32_t error = 0;
};

Prepared prepare(const EditorFacts& facts) {
  try {
    return {file_bytes(get_editor_text(facts.editor), facts.eol, facts.encoding), 0};
  } catch (const std::bad_alloc&) {
    // A text too large to hold twice fails this save, not the program and
    // the user's other tabs.
    return {{}, ERROR_NOT_ENOUGH_MEMORY};
  }
}

}  // namespace

std::uint32_t write_file_safely(const std::string& target, std::span<const std::uint8_t> bytes) {
  WindowsSaveFiles files(target, bytes);
  return run_safe_save(files);
}

bool save_tab(std::size_t index, bool save_as) {
  const std::optional<TabFacts> facts = facts_at(index);
  if (!facts) return false;

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

  const std::optional<EditorFacts> editor = editor_of(facts->tab.id);
  if (!editor) return false;
  Prepared prepared = prepare(*editor);
  std::uint32_t error = prepared.error;
  if (error == 0) error = write_file_safely(target, prepared.encoded.bytes);
  if (error != 0) {
    message_box(facts->frame, false, save_failure_message(target, system_error_text(error)), {"OK"}, 0, 0);
    return false;
  }

  record_saved(facts->tab.id, std::move(target), prepared.encoded.encoding);
  // The file now holds the text, so its stored copy goes; the index still
  // has to learn the tab's new path.
  delete_tab_file(facts->tab.id);
  refresh_title();
  schedule_store();
  return true;
}
