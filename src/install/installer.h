#pragma once
// Installing the program for the current Windows account and removing it
// again: the program file, the Start menu shortcut and the uninstall entry.
// The work takes its paths as arguments, so that everything but the lookup
// of the known folders runs on folders a caller (or a test) chooses.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "base/result.h"
#include "install/install_layout.h"

// The locations from the known folders, the folders made when `create` is
// set. Fails with "The Windows program folders could not be found."
Result<InstallPaths> install_paths(bool create);

// Where the flows take their paths from: install_paths, or a test's folders.
using PathsSource = std::function<Result<InstallPaths>(bool create)>;

// The running program's own file.
std::string own_program_path();

// Copies `running_program` to the program file (unless it is that file),
// writes the shortcut and the uninstall entry. The installed file's path,
// or the message of the step that failed; what was done before stays done.
Result<std::string> install_to(const InstallPaths& paths, const std::string& running_program);

// Removes the program file, then the shortcut and the entry, and the empty
// folder. The program file is first renamed beside the program folder under
// a name with `process_id` (a running one cannot be deleted); one still
// running stays there until delete_previous_copy. A failure before the
// shortcut and the entry are gone leaves the installation as it was.
Result<void> uninstall_from(const InstallPaths& paths, std::uint32_t process_id);

// Whether the program file is there.
bool is_installed(const InstallPaths& paths);

// Whether `running_program` is the installed program file, both resolved
// to their canonical form; false when either cannot be resolved.
bool is_installed_copy(const InstallPaths& paths, const std::string& running_program);

// The copy left aside when an update replaced a running installed copy,
// and those left beside the program folder by uninstalling running copies.
void delete_previous_copy(const PathsSource& paths = install_paths);

// For the main menu: whether this program is the installed copy, and
// whether a copy is installed at all.
struct InstalledCopy {
  bool running_installed_copy = false;
  bool installed_copy_exists = false;
};
InstalledCopy installed_copy(const PathsSource& paths = install_paths);
