#pragma once
// Where a per-user installation puts things and what its uninstall entry
// says, as plain values: the Win32 side resolves two known folders, asks
// these functions, and applies the answer to the disk and the registry.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct InstallPaths {
  std::string program_folder;  // the user's program files + "\Nimbol"
  std::string program_file;    // "nimbol.exe" in it
  std::string previous_copy;   // "nimbol.exe.old" in it, left by replacing a running copy
  std::string staged_copy;     // "nimbol.exe.new" in it, the new copy until it is complete
  std::string shortcut;        // "Nimbol.lnk" in the Start menu's programs folder
  // The user's program files: beside the program folder, on its volume,
  // where an uninstalled copy that is still running is set aside.
  std::string set_aside_folder;
};

// Under HKEY_CURRENT_USER.
inline constexpr std::string_view UNINSTALL_KEY =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvex.Nimbol";
inline constexpr std::string_view PROGRAM_KEY = "Software\\Quorvex\\nimbol";

// The paths below the two resolved folders.
InstallPaths install_paths_in(std::string_view user_program_files, std::string_view programs_folder);

struct RegistryValue {
  std::string name;
  std::variant<std::string, std::uint32_t> data;  // REG_SZ or REG_DWORD
  bool operator==(const RegistryValue&) const = default;
};

// The uninstall entry's values, in the order they are written. `program_size`
// is the installed file's size in bytes, when it could be read.
std::vector<RegistryValue> uninstall_entry(const InstallPaths& paths, std::optional<std::uint64_t> program_size);

// Bytes in KiB, rounded up; 0 for an unknown size, the largest DWORD for a
// size beyond it.
std::uint32_t size_in_kib(std::optional<std::uint64_t> bytes);

// The name the running program file gets beside the program folder when it
// uninstalls itself, and whether a name there is one of those.
std::string moved_aside_name(std::uint32_t process_id);
bool is_moved_aside_name(std::string_view name);

// The questions and messages of installing and uninstalling.
std::string install_question(const InstallPaths& paths, bool installed_copy_exists);
