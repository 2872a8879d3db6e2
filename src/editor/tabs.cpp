// The tabs of the frame: each with its own editor, only the active one
// shown. The state is borrowed for short stretches only; every call that can
// send messages (editors, message boxes, ShowWindow) runs outside a borrow.

#include <windows.h>

#include "editor/tabs.h"

#include "model/app_state.h"
#include "model/frame_hooks.h"
#include "editor/editor.h"
#include "editor/saving.h"
#include "editor/suppress_change.h"
#include "editor/text_codec.h"
#include "model/veil_state.h"
#include "store/session_store.h"
#include "ui/message_box.h"

namespace {

HWND frame_window() {
  auto state = app_state().borrow();
  return state ? state->frame : nullptr;
}

std::optional<std::size_t> index_of_id(std::uint64_t id) {
  auto state = app_state().borrow();
  if (!state) return std::nullopt;
  for (std::size_t i = 0; i < state->tabs.size(); ++i) {
    if (state->tabs[i].id == id) return i;
  }
  return std::nullopt;
}

void show_error(const std::string& text) {
  message_box(frame_window(), false, text, {"OK"}, 0, 0);
}

enum class SaveAnswer { Save, DontSave, Cancel };

SaveAnswer ask_save_changes(const std::string& title) {
  const std::size_t answer = message_box(frame_window(), false,
                                         "Do you want to save changes to " + title + "?",
                                         {"Save", "Don't Save", "Cancel"}, 0, 2);
  return answer == 0 ? SaveAnswer::Save : answer == 1 ? SaveAnswer::DontSave : SaveAnswer::Cancel;
}

}  // namespace

std::size_t new_tab(std::optional<std::uint64_t> id) {
  HWND frame = nullptr;
  HFONT font = nullptr;
  bool word_wrap = true;
  std::int32_t zoom = 100;
  {
    auto state = app_state().borrow();
    frame = state->frame;
    font = state->font.get();
    word_wrap = state->config.word_wrap;
    zoom = state->config.zoom;
  }
  HWND editor = create_editor(frame, font, word_wrap, zoom);
  place_editor(editor);

  auto state = app_state().borrow();
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
  {
    auto state = app_state().borrow();
    if (!state || index >= state->tabs.size()) return {};
    editor = state->tabs[index].editor;
  }
  set_editor_text(editor, decoded->text);
  std::uint64_t id = 0;
  {
    auto state = app_state().borrow();
    if (!state || index >= state->tabs.size()) return {};
    Tab& tab = state->tabs[index];
    tab.path = path;
    tab.dirty = false;
    tab.store_pending = false;
    tab.lossy = decoded->lossy;
    tab.eol = decoded->eol;
    tab.encoding = decoded->encoding;
    id = tab.id;
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
    if (const Tab* active = state->active_tab(); active && !active->path && !active->dirty) {
      reusable = state->active;
    }
  }
  if (existing) {
    activate_tab(*existing);
    return;
  }
  const bool fresh = !reusable;
  const std::size_t target = fresh ? new_tab() : *reusable;
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
    switch (ask_save_changes(title)) {
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
