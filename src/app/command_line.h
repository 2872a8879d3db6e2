#pragma once
// The process's arguments as Windows programs split them, and what they ask
// the program to do.

#include <string>
#include <string_view>
#include <vector>

// Splits a command line the way the C runtime does (so a file name that
// Explorer or a shell quoted reaches us as the user meant it).
std::vector<std::wstring> split_command_line(std::wstring_view command_line);

enum class StartMode { Normal, Install, Uninstall };

// Only the first argument after the program path selects a maintenance mode,
// and only as an exact, case-sensitive match.
StartMode start_mode(const std::vector<std::wstring>& args);

// "--quiet" anywhere after the program path; read by the maintenance modes.
bool quiet_requested(const std::vector<std::wstring>& args);
