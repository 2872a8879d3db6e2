// Copying, deleting and measuring whole files, and making and removing
// folders, for the few places that handle files as units rather than
// reading or writing them (the per-user install above all).

#include <windows.h>

#include "base/file_ops.h"

#include <vector>

#include "base/handles.h"
#include "base/utf.h"

namespace {

FileError last_error() {
  const DWORD error = GetLastError();
  return error == 0 ? ERROR_GEN_FAILURE : error;
}

// The plain form of a path the file system gave back in its "\\?\" form.
std::wstring without_literal_prefix(std::wstring path) {
  if (path.starts_with(L"\\\\?\\UNC\\")) return L"\\\\" + path.substr(8);
  if (path.starts_with(L"\\\\?\\")) return path.substr(4);
  return path;
}

void remove_tree_wide(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (find) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
        SetFileAttributesW(path.c_str(), found.dwFileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
      }
      const bool folder_entry = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      const bool link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      if (folder_entry && !link) {
        remove_tree_wide(path);
      } else if (folder_entry) {
        // A junction or folder link: the link goes, what it points at stays.
        RemoveDirectoryW(path.c_str());
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find.get(), &found));
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

FileError copy_file_over(std::string_view from, std::string_view to) {
  const std::wstring source = system_path(from);
  const std::wstring target = system_path(to);
  const auto copy = file_call_hooks().copy;
  const BOOL copied = copy ? copy(source.c_str(), target.c_str())
                           : CopyFileExW(source.c_str(), target.c_str(), nullptr, nullptr, nullptr, 0);
  return copied ? 0 : last_error();
}

FileError delete_file(std::string_view path) { return DeleteFileW(system_path(path).c_str()) ? 0 : last_error(); }

std::optional<std::uint64_t> file_size(std::string_view path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(system_path(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::optional<std::string> canonical_path(std::string_view path) {
  // No access is asked for: a running program file opens too.
  UniqueFile file(CreateFileW(system_path(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return std::nullopt;
  constexpr DWORD flags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
  const DWORD needed = GetFinalPathNameByHandleW(file.get(), nullptr, 0, flags);
  if (needed == 0) return std::nullopt;
  std::wstring name(needed, L'\0');
  const DWORD length = GetFinalPathNameByHandleW(file.get(), name.data(), needed, flags);
  if (length == 0 || length >= needed) return std::nullopt;
  name.resize(length);
  return to_utf8(without_literal_prefix(std::move(name)));
}

FileError make_folder_path(std::string_view path) {
  if (create_folder_path(path)) return 0;
  // Once more for the last folder alone, whose failure is the reason.
  if (CreateDirectoryW(system_path(path).c_str(), nullptr)) return 0;
  return last_error();
}

bool remove_empty_folder(std::string_view path) {
  RemoveDirectoryW(system_path(path).c_str());
  return !exists_on_disk(path);
}

void remove_tree(std::string_view path) {
  const std::wstring folder = system_path(path);
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    RemoveDirectoryW(folder.c_str());
    return;
  }
  remove_tree_wide(folder);
}
