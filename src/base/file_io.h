#pragma once
// The program's one way to read and write files: a whole file in, a whole
// file out (carrying on after short writes, flushed, its close checked), the
// atomic replacement every file the program owns goes through, and folders
// made on the way. Paths are UTF-8; a long one reaches Windows in its
// "\\?\" form, so that any file the program can name it can also save.
//
// A FileError is a Windows error code, 0 for success. A failed call never
// yields 0, even when the system gives no reason.

#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

using FileError = std::uint32_t;

// From this many UTF-16 units on, a full path is handed over in its "\\?\"
// form: CreateDirectoryW refuses plain paths longer than this (it keeps
// room for an 8.3 name), and the other calls refuse those of 260 units.
inline constexpr std::size_t LONG_PATH_UNITS = 248;

// `path` as the wide Windows calls should get it: as given, or, when its
// full form is LONG_PATH_UNITS or longer, that full form as "\\?\C:\..." or
// "\\?\UNC\server\share\...". Paths already in a "\\?\" or "\\.\" form stay.
std::wstring system_path(std::string_view path);

struct ReadOptions {
  // A larger file fails with ERROR_FILE_TOO_LARGE, without being read whole.
  std::optional<std::uint64_t> max_size;
  // Refuse the file while another program has it open for writing or
  // deleting, and keep them out while reading; for the program's own files.
  bool exclusive_of_writers = false;
};

// Every byte of the file as it is while being read (its size is only a
// hint: it may grow or shrink meanwhile). Running out of memory is
// ERROR_NOT_ENOUGH_MEMORY, not an exception.
std::expected<std::vector<std::uint8_t>, FileError> read_all_bytes(std::string_view path, ReadOptions options = {});
// The same bytes in a string: a text file read this way can become the
// text of a tab in place, without a second copy of it beside the first.
std::expected<std::string, FileError> read_all_chars(std::string_view path, ReadOptions options = {});

// Creates or truncates the file, writes every byte, flushes and closes it;
// 0 on success. A read-only file is refused (ERROR_ACCESS_DENIED). The
// handle is closed on return either way, so the caller may delete the file.
[[nodiscard]] FileError write_all_bytes(std::string_view path, std::span<const std::uint8_t> bytes);

// Moves `from` onto `to`, replacing it, written through. A read-only `to`
// is refused (ERROR_ACCESS_DENIED) here, whatever the file system would do.
[[nodiscard]] FileError move_replacing(std::string_view from, std::string_view to);

// Puts `replacement`'s content in place of the existing `target`, which
// keeps its identity, attributes, security and streams; no backup file.
[[nodiscard]] FileError replace_keeping_identity(std::string_view target, std::string_view replacement);

// Opens the existing file for writing, without truncating it, and flushes it.
[[nodiscard]] FileError flush_existing_file(std::string_view path);

// Whether anything (file or folder) is at `path`.
bool exists_on_disk(std::string_view path);

// Deletes the file if it is there; errors do not matter to the caller.
void delete_file_if_present(std::string_view path);

// Writes beside the target with ".tmp" appended, flushes, then moves it onto
// the target, so a crash leaves the old file or the new one, never a
// mixture. A failure removes the temporary file and leaves the target as it
// was; its message is the system's text and " (os error N)".
Result<void> write_file_atomic(const std::string& path, std::span<const std::uint8_t> bytes);

// Creates `path` and every missing folder above it; true when it is a folder
// afterwards, whatever happened on the way.
bool create_folder_path(std::string_view path);

// Stand-ins for the system calls that real disks seldom fail on demand
// (a short write, a failure that leaves error 0, a replacement that takes
// the target away and then fails). Only tests set them; each returns
// nonzero on success and sets the thread's last error when it fails. A null
// member means the real call.
struct FileCallHooks {
  int (*write)(void* file, const void* data, std::uint32_t size, std::uint32_t* written) = nullptr;
  int (*replace)(const wchar_t* target, const wchar_t* replacement) = nullptr;
  int (*move)(const wchar_t* from, const wchar_t* to) = nullptr;
  int (*copy)(const wchar_t* from, const wchar_t* to) = nullptr;
};
void set_file_call_hooks(const FileCallHooks& hooks);
const FileCallHooks& file_call_hooks();
