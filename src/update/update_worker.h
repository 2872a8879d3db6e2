#pragma once
// The update check's worker thread and the one slot through which its
// result reaches the GUI thread.

#include <windows.h>

#include <chrono>
#include <mutex>
#include <optional>

#include "update/update_feed.h"

// Posted to the frame when a finished check has left its result in the slot.
inline constexpr UINT WM_APP_UPDATE_RESULT = WM_APP + 3;

// Holds the outcome of the finished check until the GUI thread takes it.
class UpdateHandOver {
 public:
  // The worker's last step: leaves `outcome` (replacing one not yet taken)
  // and posts WM_APP_UPDATE_RESULT to `frame`, unless the frame is gone.
  void deliver(HWND frame, UpdateOutcome outcome);
  // The GUI thread's: the outcome, leaving the slot empty.
  std::optional<UpdateOutcome> take();
  // Called when the frame is destroyed: from then on a check that is still
  // running keeps its result, and the handle it was given is never used.
  void close();

 private:
  std::mutex mutex_;
  std::optional<UpdateOutcome> outcome_;
  bool closed_ = false;
};

// The process-wide slot. It is never destroyed, so a worker that is still
// running while the process ends finds it intact.
UpdateHandOver& update_hand_over();

// Runs one check on a thread of its own with the frame's handle. A thread
// that cannot be started is reported through the slot like any failure.
void start_update_worker(HWND frame);

// The longest a whole check may take, from its start to its outcome. Each
// step of the exchange has its own time-out as well, but those restart with
// every byte, so a server that sends one now and then could otherwise keep
// "Checking for updates..." up for days, and with it the hourly check and
// "Check Now" locked out. A quarter megabyte needs a small part of this.
inline constexpr std::chrono::seconds UPDATE_CHECK_DEADLINE{60};

// One check within `deadline`: fetches and reads the list of versions and
// writes the day of a successful check. A check still under way when the
// deadline passes ends as unreachable (a time-out), and whatever its
// exchange brings later is dropped unread.
UpdateOutcome check_for_updates(std::chrono::milliseconds deadline);

// The worker's body: check_for_updates within UPDATE_CHECK_DEADLINE, then
// hands the outcome over.
void run_update_check(HWND frame);
