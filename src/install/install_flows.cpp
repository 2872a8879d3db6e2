// The install and uninstall flows with their questions and messages, all
// in the program's own message box.

#include <windows.h>

#include "install/install_flows.h"

#include <string>

#include "base/file_ops.h"
#include "base/handles.h"
#include "base/utf.h"
#include "store/settings.h"
#include "ui/message_box.h"

namespace {

constexpr char not_installed[] = "Nimbol could not be installed.\n\n";

void tell(HWND owner, bool app_icon, const std::string& text) { message_box(owner, app_icon, text, {"OK"}, 0, 0); }

Result<std::string> install_from_here(const PathsSource& paths) {
  const Result<InstallPaths> found = paths(true);
  if (!found) return fail(found.error());
  return install_to(*found, own_program_path());
}

bool instance_running() {
  UniqueHandleObject mutex(OpenMutexW(SYNCHRONIZE, FALSE, RUNNING_INSTANCE_MUTEX));
  return static_cast<bool>(mutex);
}

Result<void> uninstall_here(const PathsSource& paths) {
  const Result<InstallPaths> found = paths(false);
  if (!found) return fail(found.error());
  return uninstall_from(*found, GetCurrentProcessId());
}

// Everything the program keeps outside its installation.
void remove_settings_and_tabs() {
  if (const std::optional<std::string> folder = data_folder()) remove_tree(*folder);
  RegDeleteTreeW(HKEY_CURRENT_USER, to_wide(PROGRAM_KEY).c_str());
}

}  // namespace

int run_install_switch(bool quiet, const PathsSource& paths) {
  const Result<std::string> installed = install_from_here(paths);
  if (!installed) {
    if (!quiet) tell(nullptr, false, not_installed + installed.error());
    return INSTALL_FAILED;
  }
  if (!quiet) tell(nullptr, true, "Nimbol is installed. From now on, start it from the Start menu.");
  return INSTALL_SUCCEEDED;
}

int run_uninstall_switch(bool quiet, const PathsSource& paths) {
  if (instance_running()) {
    if (!quiet) tell(nullptr, false, "Close Nimbol first, then uninstall it again.");
    return INSTALL_FAILED;
  }
  if (quiet) return uninstall_here(paths) ? INSTALL_SUCCEEDED : INSTALL_FAILED;

  // Closing the box keeps them: losing the tabs takes a deliberate choice.
  const bool remove_data =
      message_box(nullptr, false,
                  "Also remove Nimbol's settings and its saved tabs?\n\nText in tabs that was never saved as a file is "
                  "lost if you remove them.",
                  {"Keep Them", "Remove Them"}, 0, 0) == 1;
  if (const Result<void> removed = uninstall_here(paths); !removed) {
    tell(nullptr, false, "Nimbol could not be uninstalled.\n\n" + removed.error());
    return INSTALL_FAILED;
  }
  if (remove_data) remove_settings_and_tabs();
  tell(nullptr, true, "Nimbol is uninstalled.");
  return INSTALL_SUCCEEDED;
}

void install_command(HWND frame, const PathsSource& paths) {
  const Result<InstallPaths> found = paths(false);
  if (!found) {
    tell(frame, false, not_installed + found.error());
    return;
  }
  const bool update = is_installed(*found);
  const std::vector<std::string> buttons = {update ? "Update" : "Install", "Cancel"};
  if (message_box(frame, true, install_question(*found, update), buttons, 0, 1) != 0) return;
  const Result<std::string> installed = install_from_here(paths);
  if (!installed) {
    tell(frame, false, not_installed + installed.error());
    return;
  }
  tell(frame, true,
       "Done. From now on, start Nimbol from the Start menu. This copy can be deleted once you have closed it.");
}
