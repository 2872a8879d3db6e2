// The per-user installation on disk and in the registry. Each step stops
// the operation at its first failure with that step's sentence and the
// system's reason; nothing is rolled back, and running the operation again
// finishes what is missing.

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include "install/installer.h"

#include "base/file_ops.h"
#include "base/system_error.h"
#include "base/utf.h"
#include "editor/tab_model.h"
#include "install/shortcut.h"

namespace {

std::string reason(FileError error) { return system_error_text(error); }

bool missing(FileError error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

std::string parent_folder(const std::string& path) {
  const std::size_t end = path.find_last_of("\\/");
  return end == std::string::npos ? std::string() : path.substr(0, end);
}

std::string with_separator(std::string folder) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
  return folder;
}

std::optional<std::string> known_folder(REFKNOWNFOLDERID id, bool create) {
  PWSTR found = nullptr;
  const HRESULT hr = SHGetKnownFolderPath(id, create ? KF_FLAG_CREATE : KF_FLAG_DONT_VERIFY, nullptr, &found);
  std::optional<std::string> out;
  if (SUCCEEDED(hr) && found) out = to_utf8(found);
  CoTaskMemFree(found);
  return out;
}

LSTATUS write_value(const RegistryValue& value) {
  const std::wstring key = to_wide(UNINSTALL_KEY);
  const std::wstring name = to_wide(value.name);
  if (const auto* text = std::get_if<std::string>(&value.data)) {
    const std::wstring wide = to_wide(*text);
    const auto bytes = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
    return RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), REG_SZ, wide.c_str(), bytes);
  }
  const DWORD number = std::get<std::uint32_t>(value.data);
  return RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), REG_DWORD, &number, sizeof number);
}

// Puts the running program in place of the installed file. An installed
// copy that is running cannot be deleted but can be renamed; the renamed
// file goes at the next start, install or uninstall.
Result<void> copy_program(const InstallPaths& paths, const std::string& running_program) {
  delete_file_if_present(paths.previous_copy);
  if (exists_on_disk(paths.program_file) && delete_file(paths.program_file) != 0) {
    if (const FileError error = move_replacing(paths.program_file, paths.previous_copy); error != 0) {
      return fail("The installed copy is in use: " + reason(error));
    }
  }
  if (const FileError error = copy_file_over(running_program, paths.program_file); error != 0) {
    return fail("Nimbol could not be copied: " + reason(error));
  }
  return {};
}

}  // namespace

Result<InstallPaths> install_paths(bool create) {
  // Wine (8.0) does not know FOLDERID_UserProgramFiles and answers
  // E_INVALIDARG, so under Wine this fails and the tests pass folders of
  // their own to the functions below; Windows resolves it to
  // %LOCALAPPDATA%\Programs.
  const std::optional<std::string> programs = known_folder(FOLDERID_UserProgramFiles, create);
  const std::optional<std::string> start_menu = known_folder(FOLDERID_Programs, create);
  if (!programs || !start_menu) return fail("The Windows program folders could not be found.");
  return install_paths_in(*programs, *start_menu);
}

std::string own_program_path() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return to_utf8(path);
    }
    path.resize(path.size() * 2);
  }
}

bool is_installed(const InstallPaths& paths) { return exists_on_disk(paths.program_file); }

bool is_installed_copy(const InstallPaths& paths, const std::string& running_program) {
  const std::optional<std::string> installed = canonical_path(paths.program_file);
  const std::optional<std::string> running = canonical_path(running_program);
  return installed && running && same_path(*installed, *running);
}

Result<std::string> install_to(const InstallPaths& paths, const std::string& running_program) {
  if (const FileError error = make_folder_path(paths.program_folder); error != 0) {
    return fail("The program folder could not be created: " + reason(error));
  }
  if (!is_installed_copy(paths, running_program)) {
    if (auto copied = copy_program(paths, running_program); !copied) return fail(copied.error());
  }

  const std::string start_menu_failure = "The Start menu entry could not be created: ";
  if (const FileError error = make_folder_path(parent_folder(paths.shortcut)); error != 0) {
    return fail(start_menu_failure + reason(error));
  }
  if (auto made = create_shortcut(paths.shortcut, paths.program_file, paths.program_folder, "Nimbol"); !made) {
    return fail(start_menu_failure + made.error());
  }

  for (const RegistryValue& value : uninstall_entry(paths, file_size(paths.program_file))) {
    if (const LSTATUS status = write_value(value); status != ERROR_SUCCESS) {
      return fail("The uninstall entry could not be written: " + reason(static_cast<FileError>(status)));
    }
  }
  return paths.program_file;
}

Result<void> uninstall_from(const InstallPaths& paths, const std::string& running_program,
                            const std::string& temp_folder, std::uint32_t process_id) {
  if (const FileError error = delete_file(paths.shortcut); error != 0 && !missing(error)) {
    return fail("The Start menu entry could not be removed: " + reason(error));
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, to_wide(UNINSTALL_KEY).c_str());

  if (is_installed(paths)) {
    // A running program file can be moved but not deleted.
    const std::string moved_to = with_separator(temp_folder) + moved_aside_name(process_id);
    const FileError error = is_installed_copy(paths, running_program) ? move_replacing(paths.program_file, moved_to)
                                                                      : delete_file(paths.program_file);
    if (error != 0) return fail("The program file could not be removed: " + reason(error));
  }
  delete_file_if_present(paths.previous_copy);
  remove_empty_folder(paths.program_folder);
  return {};
}

void delete_previous_copy(const PathsSource& paths) {
  if (const Result<InstallPaths> found = paths(false)) delete_file_if_present(found->previous_copy);
}

InstalledCopy installed_copy(const PathsSource& paths) {
  const Result<InstallPaths> found = paths(false);
  if (!found) return {};
  return {is_installed_copy(*found, own_program_path()), is_installed(*found)};
}
