#pragma once
// Whole files and folders as units: copied, deleted, measured, named in
// their canonical form, made and removed. What installing and uninstalling
// the program do with its own file and folders; paths are UTF-8 and reach
// Windows through system_path, like those of file_io.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/file_io.h"

// Copies `from` onto `to`, replacing a file there.
[[nodiscard]] FileError copy_file_over(std::string_view from, std::string_view to);

// Deletes the file; ERROR_FILE_NOT_FOUND when there is none.
[[nodiscard]] FileError delete_file(std::string_view path);

// The size of the file in bytes, when it can be read.
std::optional<std::uint64_t> file_size(std::string_view path);

// The file's path as the file system names it (links and short names
// resolved, the letters' case as stored), without the "\\?\" prefix; nothing
// when the file cannot be opened.
std::optional<std::string> canonical_path(std::string_view path);

// Makes `path` and the folders above it; 0 when it is a folder afterwards,
// else the reason the last folder could not be made.
[[nodiscard]] FileError make_folder_path(std::string_view path);

// Removes the folder when it is empty; true when it is gone.
bool remove_empty_folder(std::string_view path);

// Removes the folder with everything in it, read-only files included.
// Links inside are removed, never followed. Errors are passed over: what
// can go, goes.
void remove_tree(std::string_view path);
