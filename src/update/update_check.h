#pragma once
// The daily update check as the GUI thread runs it: the first-run question,
// the once-a-day rule, starting a check and taking its result.

#include <windows.h>

#include <optional>

#include "update/update_feed.h"
#include "update/update_worker.h"

// What the GUI thread knows of the checks since the program started.
struct UpdateStatus {
  std::optional<UpdateOutcome> last;  // the outcome of the last finished check
  bool running = false;               // a check is under way
};

UpdateStatus update_status();

// Whether the last finished check found a newer version (the main menu then
// offers "Update Available...").
bool update_available();

// Asks once whether to check automatically, while the user has not decided.
void ask_update_consent(HWND frame);

// Starts a check when automatic checks are on and none succeeded today;
// whether one was started.
bool maybe_check_for_updates(HWND frame);

// Starts a check unless one is running; whether one was started.
bool start_update_check(HWND frame);

// Takes the outcome the worker posted for, if any: whether it is a newer
// version to announce now (announced once per version).
bool take_update_result();

// The frame is being destroyed: a check still running never posts to it.
void stop_update_results();
