#pragma once
// What the user meets when installing and uninstalling: the command-line
// switches (run by start-up before any window exists) and the menu command.

#include <windows.h>

#include "install/installer.h"

// The exit codes of the switches.
inline constexpr int INSTALL_SUCCEEDED = 0;
inline constexpr int INSTALL_FAILED = 1;

// The same name the running instance holds (start-up creates it).
inline constexpr wchar_t RUNNING_INSTANCE_MUTEX[] = L"Local\\Nimbol.SingleInstance";

// "--install": installs and, unless quiet, says how it went.
int run_install_switch(bool quiet, const PathsSource& paths = install_paths);

// "--uninstall": refuses while an instance runs; unless quiet, asks whether
// the settings and tabs go too, and says how it went.
int run_uninstall_switch(bool quiet, const PathsSource& paths = install_paths);

// The menu command: asks, installs (or updates the installed copy) and
// reports; the running program goes on either way.
void install_command(HWND frame, const PathsSource& paths = install_paths);
