// The GUI thread's side of the update check. The running flag lives here
// and only here, so at most one worker runs; it is cleared only when the
// worker's result is taken, and the worker always delivers one.

#include <windows.h>

#include "update/update_check.h"

#include "model/maker_site.h"
#include "ui/message_box.h"
#include "update/update_registry.h"
#include "update/update_text.h"

namespace {

// GUI thread only.
UpdateStatus& status() {
  static UpdateStatus current;
  return current;
}

}  // namespace

UpdateStatus update_status() { return status(); }

bool update_available() {
  const UpdateStatus& now = status();
  return now.last && std::holds_alternative<Available>(*now.last);
}

void ask_update_consent(HWND frame) {
  if (update_check_setting() != UpdateSetting::Undecided) return;
  // Closing the box decides nothing: the question comes again next time.
  const std::size_t answer = message_box(frame, true, update_consent_question(UPDATE_HOST), {"Yes", "No"}, 0, 2);
  if (answer == 0 || answer == 1) write_update_value(UPDATE_CHECK_VALUE, stored_update_setting(answer == 0));
}

bool maybe_check_for_updates(HWND frame) {
  if (!check_due(update_check_setting(), read_update_value(UPDATE_CHECKED_VALUE), today_utc())) return false;
  return start_update_check(frame);
}

bool start_update_check(HWND frame) {
  if (status().running) return false;
  status().running = true;
  start_update_worker(frame);
  return true;
}

bool take_update_result() {
  std::optional<UpdateOutcome> outcome = update_hand_over().take();
  if (!outcome) return false;
  status().running = false;
  bool notify = false;
  if (const auto* available = std::get_if<Available>(&*outcome)) {
    const std::string version = format_version(available->version);
    if (read_update_value(UPDATE_NOTIFIED_VALUE) != version) {
      write_update_value(UPDATE_NOTIFIED_VALUE, version);
      notify = true;
    }
  }
  status().last = std::move(outcome);
  return notify;
}

void stop_update_results() { update_hand_over().close(); }
