#pragma once
// The update check's worker thread and the one slot through which its
// result reaches the GUI thread.

#include <windows.h>

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

// The worker's body: fetches and reads the list of versions, writes the
// day of a successful check, and hands the outcome over.
void run_update_check(HWND frame);
