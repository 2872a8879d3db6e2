// The per-user installation on disk and in the registry. Each step stops
// the operation at its first failure with that step's sentence and the
// system's reason, and running the operation again finishes what is
// missing. No failure leaves the user with a shortcut and an entry that
// point at nothing, or with no installed program at all: the program file
// is replaced only by a complete copy, and goes only before the rest.

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include "install/installer.h"

#include "base/file_ops.h"
#include "base/handles.h"
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

// Puts the running program in place of the installed file without ever
// leaving the folder without a whole program: the new copy is made beside
// it first, and the installed file is only renamed (never deleted) until
// the new one has its name. An installed copy that is running cannot be
// deleted but can be renamed; the renamed file goes at the next start,
// install or uninstall.
Result<void> copy_program(const InstallPaths& paths, const std::string& running_program) {
  delete_file_if_present(paths.previous_copy);
  const bool had_copy = exists_on_disk(paths.program_file);
  const std::string unchanged = had_copy ? "\n\nThe installed copy was left as it was." : "";
  if (const FileError error = copy_file_over(running_program, paths.staged_copy); error != 0) {
    delete_file_if_present(paths.staged_copy);
    return fail("Nimbol could not be copied: " + reason(error) + unchanged);
  }
  // Renamed aside when it runs; when the name is taken by an older copy
  // that still runs, a plain replacement may still do.
  const bool set_aside = had_copy && move_replacing(paths.program_file, paths.previous_copy) == 0;
  if (const FileError error = move_replacing(paths.staged_copy, paths.program_file); error != 0) {
    const bool restored = !set_aside || move_replacing(paths.previous_copy, paths.program_file) == 0;
    delete_file_if_present(paths.staged_copy);
    const std::string step = had_copy && !set_aside ? "The installed copy is in use: " : "Nimbol could not be copied: ";
    return fail(step + reason(error) + (restored ? unchanged : ""));
  }
  if (set_aside) delete_file_if_present(paths.previous_copy);
  return {};
}

// Every copy an uninstall set aside while it was running.
void delete_set_aside_copies(const std::string& folder) {
  WIN32_FIND_DATAW found{};
  UniqueFind find(FindFirstFileW(system_path(with_separator(folder) + "*").c_str(), &found));
  if (!find) return;
  do {
    const std::string name = to_utf8(found.cFileName);
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && is_moved_aside_name(name)) {
      delete_file_if_present(with_separator(folder) + name);
    }
  } while (FindNextFileW(find.get(), &found));
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

Result<void> uninstall_from(const InstallPaths& paths, std::uint32_t process_id) {
  // The program file goes out of the way first, renamed on its own volume
  // (a running program file can be renamed but not deleted, and a rename
  // to another volume is refused); until it has, the shortcut and the
  // entry stay, so a failure leaves a working, listed installation.
  const std::string set_aside = with_separator(paths.set_aside_folder) + moved_aside_name(process_id);
  const bool had_program = is_installed(paths);
  if (had_program) {
    if (const FileError error = move_replacing(paths.program_file, set_aside); error != 0) {
      return fail("The program file could not be removed: " + reason(error));
    }
  }
  if (const FileError error = delete_file(paths.shortcut); error != 0 && !missing(error)) {
    if (had_program) static_cast<void>(move_replacing(set_aside, paths.program_file));
    return fail("The Start menu entry could not be removed: " + reason(error));
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, to_wide(UNINSTALL_KEY).c_str());

  // The running copy stays until the next start of any copy removes it.
  if (had_program) delete_file_if_present(set_aside);
  delete_file_if_present(paths.previous_copy);
  delete_file_if_present(paths.staged_copy);
  remove_empty_folder(paths.program_folder);
  return {};
}

void delete_previous_copy(const PathsSource& paths) {
  const Result<InstallPaths> found = paths(false);
  if (!found) return;
  delete_file_if_present(found->previous_copy);
  delete_set_aside_copies(found->set_aside_folder);
}

InstalledCopy installed_copy(const PathsSource& paths) {
  const Result<InstallPaths> found = paths(false);
  if (!found) return {};
  return {is_installed_copy(*found, own_program_path()), is_installed(*found)};
}
