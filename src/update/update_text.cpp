// The texts are built from plain values so that every state the updates
// window can be in is checked without a window.

#include "update/update_text.h"

namespace {

std::string outcome_line(const UpdateOutcome& outcome, std::string_view host) {
  const std::string failed = "The update check failed: ";
  if (std::holds_alternative<UpToDate>(outcome)) return "Nimbol is up to date.";
  if (const auto* available = std::get_if<Available>(&outcome)) {
    return "Nimbol " + format_version(available->version) +
           (available->security ? " is available (security update)." : " is available.");
  }
  if (std::holds_alternative<Unreachable>(outcome)) return failed + std::string(host) + " could not be reached.";
  if (const auto* answer = std::get_if<HttpStatus>(&outcome)) {
    return failed + std::string(host) + " answered with an error (" + std::to_string(answer->status) + ").";
  }
  return failed + "The list of versions could not be read.";
}

}  // namespace

std::string security_fixes_line(const Version& version) {
  // Past the four-digit years the date simply grows; no version comes close.
  const std::string major = std::to_string(version.major);
  const std::uint64_t last_year = std::uint64_t{version.major} + 4;
  std::string year = std::to_string(last_year);
  if (year.size() < 4) year.insert(0, 4 - year.size(), '0');
  return "Security fixes for Nimbol " + major + " until " + year + "-12-31.";
}

std::string updates_page_url(std::string_view host) { return "https://" + std::string(host) + "/updates/nimbol/"; }

std::string update_consent_question(std::string_view host) {
  return "Check for security updates automatically?\n\nNimbol can check " + std::string(host) +
         " once a day for security updates and new versions.\n\nIt downloads a public list of versions and compares "
         "it on this computer. Nothing about you, this computer or your notes is sent.\n\nYou can change this later "
         "in Check for Updates.";
}

UpdatesView updates_view(const UpdatesFacts& facts, std::string_view host) {
  UpdatesView view;
  view.auto_check = facts.setting == UpdateSetting::On;
  view.check_now_enabled = !facts.running;
  view.open_page_enabled = facts.last && std::holds_alternative<Available>(*facts.last);
  if (facts.running) {
    view.state_text = "Checking for updates...";
    return view;
  }
  std::string text;
  if (facts.last) {
    text = outcome_line(*facts.last, host);
  } else if (facts.setting != UpdateSetting::On) {
    text = "Automatic update checks are off.";
  }
  if (const auto date = facts.last_checked ? parse_date(*facts.last_checked) : std::nullopt) {
    if (!text.empty()) text += "\n";
    text += "Last successful check: " + format_date(*date);
  }
  view.state_text = text.empty() ? "No update check has run yet." : text;
  return view;
}
