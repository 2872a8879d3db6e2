#pragma once
// Every text of the update check: the first-run question, the updates
// window's state and controls, the updates page and the line about how long
// a major version gets security fixes (which the about window shows too).

#include <optional>
#include <string>
#include <string_view>

#include "update/update_feed.h"
#include "update/update_schedule.h"
#include "update/version.h"

// "Security fixes for Nimbol 2027 until 2031-12-31.": a major version gets
// them until the end of the fourth year after its own.
std::string security_fixes_line(const Version& version);

// The page with the released versions on the update server `host`.
std::string updates_page_url(std::string_view host);

// The first-run question whether to check automatically.
std::string update_consent_question(std::string_view host);

// What the updates window shows for the state of the checks.
struct UpdatesView {
  std::string state_text;
  bool auto_check = false;         // the check box
  bool check_now_enabled = false;  // no check is running
  bool open_page_enabled = false;  // the last check found a newer version
  bool operator==(const UpdatesView&) const = default;
};

struct UpdatesFacts {
  bool running = false;
  std::optional<UpdateOutcome> last;  // since the program started
  UpdateSetting setting = UpdateSetting::Undecided;
  std::optional<std::string> last_checked;  // as stored
};

UpdatesView updates_view(const UpdatesFacts& facts, std::string_view host);
