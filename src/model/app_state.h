#pragma once
// The frame's state: one per process, on the GUI thread, reached only
// through its cell so that a handler that re-enters while another holds it
// is caught instead of silently sharing it.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "base/handles.h"
#include "base/state_cell.h"
#include "model/config.h"
#include "model/store_location.h"
#include "model/tab.h"

struct AppState {
  std::vector<Tab> tabs;
  Config config;
  std::optional<SessionStore> store;
  HWND frame = nullptr;
  HWND tab_strip = nullptr;
  HWND veil = nullptr;
  HWND status_bar = nullptr;
  std::size_t active = 0;
  std::uint64_t next_id = 1;
  UniqueFont font;

  // The active tab, or null when `active` is outside the list.
  Tab* active_tab() { return active < tabs.size() ? &tabs[active] : nullptr; }

  // Tabs are found again by id after anything that may have changed the
  // list (a message box, a dialog, an editor call).
  std::optional<std::size_t> index_of(std::uint64_t id) const {
    for (std::size_t i = 0; i < tabs.size(); ++i) {
      if (tabs[i].id == id) return i;
    }
    return std::nullopt;
  }
  Tab* find_tab(std::uint64_t id) {
    const auto index = index_of(id);
    return index ? &tabs[*index] : nullptr;
  }

  // Every tab's editor, in tab order, for changes that reach all of them.
  std::vector<HWND> editors() const {
    std::vector<HWND> out;
    out.reserve(tabs.size());
    for (const Tab& tab : tabs) {
      if (tab.editor) out.push_back(tab.editor);
    }
    return out;
  }
};

// The one cell; empty until start-up has built the state.
StateCell<AppState>& app_state();

// Handles read under a short borrow, for a caller that then talks to the
// windows (which may re-enter). Null without the state, or while another
// handler holds it.
HWND frame_window();
HWND active_editor();
bool is_active_editor(HWND window);
