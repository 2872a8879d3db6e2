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
};

// The one cell; empty until start-up has built the state.
StateCell<AppState>& app_state();
