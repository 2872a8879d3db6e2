// Whole-file reads and writes for every file the program touches: the text
// files the user opens and saves, config.json, vault.json, session.dat and
// the stored tabs. They used to have a loop each, and the loops drifted
// apart (one took a failed write that reported error 0 for success); here
// there is one of each, and one rule for what a failed call reports.

#include <windows.h>

#include "base/file_io.h"

#include <algorithm>
#include <array>
#include <limits>
#include <new>

#include "base/handles.h"
#include "base/system_error.h"
#include "base/utf.h"

namespace {

FileCallHooks hooks;

// The error of the system call that has just failed. Some calls fail
// without setting one; code that takes 0 for "done" must not read such a
// failure as success.
FileError failed_call_error() {
  const DWORD error = GetLastError();
  return error == 0 ? ERROR_GEN_FAILURE : error;
}

bool is_separator(wchar_t c) { return c == L'\\' || c == L'/'; }

BOOL write_piece(HANDLE file, const std::uint8_t* data, DWORD size, DWORD* written) {
  if (!hooks.write) return WriteFile(file, data, size, written, nullptr);
  std::uint32_t done = 0;
  const int ok = hooks.write(file, data, size, &done);
  *written = done;
  return ok;
}

BOOL replace_call(const std::wstring& target, const std::wstring& replacement) {
  if (hooks.replace) return hooks.replace(target.c_str(), replacement.c_str());
  return ReplaceFileW(target.c_str(), replacement.c_str(), nullptr, 0, nullptr, nullptr);
}

BOOL move_call(const std::wstring& from, const std::wstring& to) {
  if (hooks.move) return hooks.move(from.c_str(), to.c_str());
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

std::unexpected<FileError> failure(FileError error) { return std::unexpected(error); }

// A read-only file is never overwritten. Windows refuses that by itself,
// but not every file system or emulation of it does (nor one run by an
// administrator that ignores the flag).
bool is_read_only(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

}  // namespace

std::wstring system_path(std::string_view path) {
  std::wstring wide = to_wide(path);
  const bool literal_form = wide.size() >= 4 && is_separator(wide[0]) && is_separator(wide[1]) &&
                            (wide[2] == L'?' || wide[2] == L'.') && is_separator(wide[3]);
  if (literal_form) return wide;
  // The "\\?\" form is taken as it stands: no "." or ".." resolved, no "/"
  // turned into "\", no trailing dots or spaces dropped. The full path is
  // what the system would have made of the plain form, so both name the
  // same file.
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0 || needed - 1 < LONG_PATH_UNITS) return wide;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return wide;
  full.resize(length);
  if (is_separator(full[0]) && is_separator(full[1])) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

namespace {

// Every byte of the file, into a vector of bytes or a string.
template <class Bytes>
std::expected<Bytes, FileError> read_whole(std::string_view path, ReadOptions options) {
  // Others may keep a file open for writing (a log being written, say);
  // reading it anyway is what users expect of a notepad.
  const DWORD share =
      options.exclusive_of_writers ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  UniqueFile file(CreateFileW(system_path(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return failure(failed_call_error());
  const std::uint64_t cap = options.max_size.value_or(std::numeric_limits<std::uint64_t>::max());
  try {
    Bytes bytes;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
      const auto expected_size = static_cast<std::uint64_t>(size.QuadPart);
      if (expected_size > cap) return failure(ERROR_FILE_TOO_LARGE);
      if (expected_size > bytes.max_size()) return failure(ERROR_NOT_ENOUGH_MEMORY);
      bytes.resize(static_cast<std::size_t>(expected_size));
    }
    std::size_t filled = 0;
    for (;;) {
      // Once the expected size is filled, a probe finds out whether the
      // file has grown meanwhile.
      std::array<std::uint8_t, 65536> probe;
      const bool full = filled == bytes.size();
      void* target = full ? static_cast<void*>(probe.data()) : static_cast<void*>(bytes.data() + filled);
      const DWORD want = full ? static_cast<DWORD>(probe.size())
                              : static_cast<DWORD>(std::min<std::size_t>(bytes.size() - filled, 1u << 30));
      DWORD got = 0;
      if (!ReadFile(file.get(), target, want, &got, nullptr)) return failure(failed_call_error());
      if (got == 0) break;
      if (filled + got > cap) return failure(ERROR_FILE_TOO_LARGE);
      if (full) bytes.insert(bytes.end(), probe.begin(), probe.begin() + got);
      filled += got;
    }
    bytes.resize(filled);
    return bytes;
  } catch (const std::bad_alloc&) {
    // Too large to hold: the caller says so, rather than the program ending
    // with the user's other tabs.
    return failure(ERROR_NOT_ENOUGH_MEMORY);
  }
}

}  // namespace

std::expected<std::vector<std::uint8_t>, FileError> read_all_bytes(std::string_view path, ReadOptions options) {
  return read_whole<std::vector<std::uint8_t>>(path, options);
}

std::expected<std::string, FileError> read_all_chars(std::string_view path, ReadOptions options) {
  return read_whole<std::string>(path, options);
}

FileError write_all_bytes(std::string_view path, std::span<const std::uint8_t> bytes) {
  const std::wstring target = system_path(path);
  if (is_read_only(target)) return ERROR_ACCESS_DENIED;
  UniqueFile file(
      CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return failed_call_error();
  while (!bytes.empty()) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!write_piece(file.get(), bytes.data(), want, &written)) return failed_call_error();
    // A short write is carried on from where it stopped; one that makes no
    // progress at all would loop for ever.
    if (written == 0) return ERROR_WRITE_FAULT;
    bytes = bytes.subspan(std::min<std::size_t>(written, bytes.size()));
  }
  if (!FlushFileBuffers(file.get())) return failed_call_error();
  // Closing can still report a deferred write error; it counts as a failure.
  if (!CloseHandle(file.release())) return failed_call_error();
  return 0;
}

FileError move_replacing(std::string_view from, std::string_view to) {
  const std::wstring target = system_path(to);
  if (is_read_only(target)) return ERROR_ACCESS_DENIED;
  const std::wstring source = system_path(from);
  // While anyone has the target open (a backup or virus scanner, another
  // program reading the settings), the system refuses to replace it, even
  // when the reader shares it. Such a hold lasts moments; a save given up
  // at once would be lost, for the settings without a word.
  constexpr int attempts = 10;
  constexpr DWORD pause_ms = 20;
  for (int attempt = 1;; ++attempt) {
    if (move_call(source, target)) return 0;
    const FileError error = failed_call_error();
    const bool held = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
    if (!held || attempt == attempts) return error;
    Sleep(pause_ms);
  }
}

FileError replace_keeping_identity(std::string_view target, std::string_view replacement) {
  if (!replace_call(system_path(target), system_path(replacement))) return failed_call_error();
  return 0;
}

FileError flush_existing_file(std::string_view path) {
  UniqueFile file(CreateFileW(system_path(path).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return failed_call_error();
  if (!FlushFileBuffers(file.get())) return failed_call_error();
  return 0;
}

bool exists_on_disk(std::string_view path) {
  return GetFileAttributesW(system_path(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void delete_file_if_present(std::string_view path) { DeleteFileW(system_path(path).c_str()); }

Result<void> write_file_atomic(const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::string temporary = path + ".tmp";
  FileError error = write_all_bytes(temporary, bytes);
  if (error == 0) error = move_replacing(temporary, path);
  if (error != 0) {
    delete_file_if_present(temporary);
    return fail(system_error_text(error) + " (os error " + std::to_string(error) + ")");
  }
  return {};
}

bool create_folder_path(std::string_view path) {
  auto separator = [](char c) { return c == '\\' || c == '/'; };
  // Each folder on the way, from the top; those that exist already (and
  // the drive or share, which cannot be made) simply fail.
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if ((i == path.size() || separator(path[i])) && !separator(path[i - 1])) {
      CreateDirectoryW(system_path(path.substr(0, i)).c_str(), nullptr);
    }
  }
  const DWORD attributes = GetFileAttributesW(system_path(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void set_file_call_hooks(const FileCallHooks& new_hooks) { hooks = new_hooks; }

const FileCallHooks& file_call_hooks() { return hooks; }
