// The tabs of the frame: each with its own editor, only the active one
// shown. The state is borrowed for short stretches only; every call that can
// send messages (editors, message boxes, ShowWindow) runs outside a borrow.

#include <windows.h>

#include "editor/tabs.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/secure_buffer.h"
#include "base/system_error.h"
#include "editor/editor.h"
#include "editor/saving.h"
#include "model/app_state.h"
#include "model/frame_hooks.h"
#include "model/suppress_change.h"
#include "model/veil_state.h"
#include "store/session_store.h"
#include "text/editor_text.h"
#include "text/text_codec.h"
#include "ui/message_box.h"

namespace {

std::optional<std::size_t> index_of_id(std::uint64_t id) {
  auto state = app_state().borrow();
  return state ? state->index_of(id) : std::nullopt;
}

void show_error(const std::string& text) { message_box(frame_window(), false, text, {"OK"}, 0, 0); }

enum class SaveAnswer { Save, DontSave, Cancel };

SaveAnswer ask_save_changes(const std::string& title) {
  const std::size_t answer = message_box(frame_window(), false, "Do you want to save changes to " + title + "?",
                                         {"Save", "Don't Save", "Cancel"}, 0, 2);
  return answer == 0 ? SaveAnswer::Save : answer == 1 ? SaveAnswer::DontSave : SaveAnswer::Cancel;
}

// The second paragraph of a message: the system's words and the number.
std::string system_reason(DWORD code) { return system_error_text(code) + " (os error " + std::to_string(code) + ")"; }

std::string open_failure(const std::string& path, const std::string& reason) {
  return path + " could not be opened.\n\n" + reason;
}

// Tabs whose save is under way (see TabBeingSaved); a list, since a save
// can start inside another one's dialog.
std::vector<std::uint64_t> tabs_being_saved;

bool being_saved(std::uint64_t id) {
  return std::find(tabs_being_saved.begin(), tabs_being_saved.end(), id) != tabs_being_saved.end();
}

// The tab's current text, when it has any, for putting back after a load
// that failed half way. Tab text may be secret, so the copy is wiped.
class KeptText {
 public:
  explicit KeptText(HWND editor) {
    if (editor_has_text(editor)) text_ = get_editor_text(editor);
  }
  ~KeptText() { secure_wipe(text_.data(), text_.size()); }
  KeptText(const KeptText&) = delete;
  KeptText& operator=(const KeptText&) = delete;
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace

TabBeingSaved::TabBeingSaved(std::uint64_t id) : id_(id) { tabs_being_saved.push_back(id); }

TabBeingSaved::~TabBeingSaved() {
  const auto found = std::find(tabs_being_saved.begin(), tabs_being_saved.end(), id_);
  if (found != tabs_being_saved.end()) tabs_being_saved.erase(found);
}

Result<std::size_t> create_tab(std::optional<std::uint64_t> id) {
  HWND frame = nullptr;
  HFONT font = nullptr;
  bool word_wrap = true;
  std::int32_t zoom = 100;
  {
    auto state = app_state().borrow();
    if (!state) return fail(system_reason(ERROR_INVALID_STATE));
    frame = state->frame;
    font = state->font.get();
    word_wrap = state->config.word_wrap;
    zoom = state->config.zoom;
  }
  HWND editor = create_editor(frame, font, word_wrap, zoom);
  if (!editor) {
    const DWORD error = GetLastError();
    return fail(system_reason(error ? error : ERROR_INVALID_WINDOW_HANDLE));
  }
  place_editor(editor);

  auto state = app_state().borrow();
  if (!state) {
    DestroyWindow(editor);
    return fail(system_reason(ERROR_INVALID_STATE));
  }
  Tab tab;
  if (id) {
    tab.id = *id;
  } else {
    tab.id = state->next_id++;
  }
  tab.editor = editor;
  tab.untitled = next_untitled_number(state->tabs);
  state->tabs.push_back(std::move(tab));
  return state->tabs.size() - 1;
}

std::size_t new_tab(std::optional<std::uint64_t> id) {
  Result<std::size_t> created = create_tab(id);
  if (created) return *created;
  show_error("A new tab could not be opened.\n\n" + created.error());
  return tab_titles().tabs.size();
}

void activate_tab(std::size_t index) {
  HWND previous = nullptr, next = nullptr;
  {
    auto state = app_state().borrow();
    if (!state || index >= state->tabs.size()) return;
    if (const Tab* old = state->active_tab(); old && state->active != index) previous = old->editor;
    state->active = index;
    next = state->tabs[index].editor;
  }
  if (previous) ShowWindow(previous, SW_HIDE);
  layout();
  if (!veiled() && next) {
    ShowWindow(next, SW_SHOW);
    SetFocus(next);
  }
  refresh_title();
  // The active tab is part of the stored session.
  schedule_store();
}

Result<void> load_file_into_tab(std::size_t index, const std::string& path) {
  auto decoded = decode_file(path);
  if (!decoded) return fail(decoded.error());

  HWND editor = nullptr;
  std::uint64_t id = 0;
  {
    auto state = app_state().borrow();
    if (!state || index >= state->tabs.size()) return fail(open_failure(path, system_reason(ERROR_INVALID_STATE)));
    editor = state->tabs[index].editor;
    id = state->tabs[index].id;
  }
  {
    // A text the editor took only in part would look like the whole file,
    // clean, and the next save would cut the file short on disk.
    const KeptText before(editor);
    if (Result<void> shown = set_editor_text(editor, decoded->text); !shown) {
      static_cast<void>(set_editor_text(editor, before.text()));
      return fail(open_failure(path, shown.error()));
    }
  }
  {
    // Found again by its id, as after every call that sends messages.
    auto state = app_state().borrow();
    Tab* found = state ? state->find_tab(id) : nullptr;
    if (!found) return fail(open_failure(path, system_reason(ERROR_INVALID_STATE)));
    Tab& tab = *found;
    tab.path = path;
    tab.dirty = false;
    tab.store_pending = false;
    tab.lossy = decoded->lossy;
    tab.eol = decoded->eol;
    tab.encoding = decoded->encoding;
  }
  // The file now holds the text; a stored copy would only be stale.
  delete_tab_file(id);
  return {};
}

void open_path(const std::string& path) {
  std::optional<std::size_t> existing;
  std::optional<std::size_t> reusable;
  {
    auto state = app_state().borrow();
    if (!state) return;
    for (std::size_t i = 0; i < state->tabs.size(); ++i) {
      if (state->tabs[i].path && same_path(*state->tabs[i].path, path)) {
        existing = i;
        break;
      }
    }
    // The tab being saved is never reused: its text is about to be written
    // under the name the user is choosing.
    if (const Tab* active = state->active_tab();
        active && !active->path && !active->dirty && !being_saved(active->id)) {
      reusable = state->active;
    }
  }
  if (existing) {
    activate_tab(*existing);
    return;
  }
  const bool fresh = !reusable;
  std::size_t target = 0;
  if (fresh) {
    Result<std::size_t> created = create_tab();
    if (!created) {
      show_error(open_failure(path, created.error()));
      return;
    }
    target = *created;
  } else {
    target = *reusable;
  }
  auto loaded = load_file_into_tab(target, path);
  if (loaded) {
    activate_tab(target);
    return;
  }
  if (fresh) discard_tab(target);
  show_error(loaded.error());
}

void mark_modified(HWND editor) {
  HWND strip = nullptr;
  {
    auto state = app_state().borrow();
    if (!state) return;
    for (Tab& tab : state->tabs) {
      if (tab.editor != editor) continue;
      if (!tab.dirty) strip = state->tab_strip;
      tab.dirty = true;
      tab.store_pending = true;
      break;
    }
  }
  schedule_store();
  if (strip) InvalidateRect(strip, nullptr, FALSE);
}

void close_tab(std::size_t index) {
  std::uint64_t id = 0;
  bool dirty = false;
  bool has_path = false;
  HWND editor = nullptr;
  std::string title;
  {
    auto state = app_state().borrow();
    if (!state || index >= state->tabs.size()) return;
    const Tab& tab = state->tabs[index];
    id = tab.id;
    dirty = tab.dirty;
    has_path = tab.path.has_value();
    editor = tab.editor;
    title = tab_title(tab);
  }

  if (dirty && (has_path || editor_has_text(editor))) {
    activate_tab(index);
    const SaveAnswer answer = ask_save_changes(title);
    // Answered after the text got covered: the tab and its text stay.
    if (veiled()) return;
    switch (answer) {
      case SaveAnswer::Save:
        if (!save_tab(index, false)) return;
        break;
      case SaveAnswer::DontSave:
        break;
      case SaveAnswer::Cancel:
        return;
    }
  }

  // Saving may have changed the list; the tab is found again by its id.
  const std::optional<std::size_t> found = index_of_id(id);
  if (!found) return;
  HWND frame = nullptr;
  bool remaining = false;
  std::size_t active = 0;
  {
    auto state = app_state().borrow();
    if (!state || *found >= state->tabs.size()) return;
    const std::size_t count = state->tabs.size();
    editor = state->tabs[*found].editor;
    state->tabs.erase(state->tabs.begin() + static_cast<std::ptrdiff_t>(*found));
    state->active = active_after_close(state->active, *found, count);
    frame = state->frame;
    remaining = !state->tabs.empty();
    active = state->active;
  }
  DestroyWindow(editor);
  delete_tab_file(id);
  if (remaining) {
    activate_tab(active);
  } else {
    PostMessageW(frame, WM_CLOSE, 0, 0);
  }
}

void discard_tab(std::size_t index) {
  HWND editor = nullptr;
  {
    auto state = app_state().borrow();
    if (!state || index >= state->tabs.size()) return;
    editor = state->tabs[index].editor;
    state->tabs.erase(state->tabs.begin() + static_cast<std::ptrdiff_t>(index));
  }
  DestroyWindow(editor);
}

void move_tab(std::size_t from, std::size_t to) {
  {
    auto state = app_state().borrow();
    if (!state || from >= state->tabs.size() || to >= state->tabs.size() || from == to) return;
    move_element(state->tabs, from, to);
    state->active = active_after_move(state->active, from, to);
  }
  refresh_title();
}

TabStripSnapshot tab_titles() {
  auto state = app_state().borrow();
  if (!state) return {};
  return snapshot_titles(state->tabs, state->active);
}
