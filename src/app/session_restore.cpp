// Rebuilding the tabs of the previous run at start-up: the store reads and
// opens what was kept, and the tabs are created here, above both, so that the
// store never has to reach up into the tabs.

#include <windows.h>

#include "app/session_restore.h"

#include <optional>
#include <vector>

#include "editor/tabs.h"
#include "model/app_state.h"
#include "store/session_plan.h"
#include "store/session_store.h"
#include "text/editor_text.h"

namespace {

HWND editor_at(std::size_t index) {
  auto state = app_state().borrow();
  return state && index < state->tabs.size() ? state->tabs[index].editor : nullptr;
}

template <class F>
void update_tab(std::size_t index, F&& change) {
  auto state = app_state().borrow();
  if (state && index < state->tabs.size()) change(state->tabs[index]);
}

// Carries out one tab of the plan; false when it did not become a tab.
bool restore_tab(RestoreTab& planned) {
  const Result<std::size_t> created = create_tab(planned.id);
  if (!created) return false;
  const std::size_t index = *created;
  HWND editor = editor_at(index);
  const std::optional<Entry>& entry = planned.entry;
  switch (planned.source) {
    case RestoreSource::StoredText:
      // A text the editor cannot hold whole is not restored at all: a cut
      // one would be stored back over the file that still has all of it.
      if (!set_editor_text(editor, planned.text.view())) {
        planned.text.wipe();
        discard_tab(index);
        return false;
      }
      planned.text.wipe();
      note_restored_text(planned.id, planned.file_name);
      update_tab(index, [&](Tab& tab) {
        if (entry) {
          tab.path = entry->path;
          tab.untitled = entry->untitled;
          tab.encoding = entry->encoding;
          tab.eol = entry->eol;
          tab.lossy = entry->lossy;
        }
        // The stored file is already current: modified, but nothing pending.
        tab.dirty = true;
      });
      break;
    case RestoreSource::LoadPath:
      // A tab whose stored text could not be read has its own fresh id
      // (see plan_restore), so the deletion that comes with loading never
      // reaches the unreadable file.
      if (!load_file_into_tab(index, *entry->path)) {
        discard_tab(index);
        return false;
      }
      update_tab(index, [&](Tab& tab) { tab.untitled = entry->untitled; });
      break;
    case RestoreSource::Empty:
      if (entry) update_tab(index, [&](Tab& tab) { tab.untitled = entry->untitled; });
      break;
  }
  if (entry) set_selection(editor, CHARRANGE{entry->sel[0], entry->sel[1]});
  return true;
}

}  // namespace

void restore_session() {
  std::optional<RestorePlan> plan = read_stored_session();
  if (!plan) return;
  {
    auto state = app_state().borrow();
    if (!state) return;
    state->next_id = plan->next_id;
  }
  std::vector<bool> kept;
  kept.reserve(plan->tabs.size());
  for (RestoreTab& planned : plan->tabs) kept.push_back(restore_tab(planned));
  const std::size_t active = restored_active(*plan, kept);
  auto state = app_state().borrow();
  if (state) state->active = active;
}
