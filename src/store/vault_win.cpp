// The vault's file operations in the data folder: reading and replacing
// vault.json, and setting the old data aside when the password is
// forgotten. The decisions are in vault.cpp.

#include <windows.h>

#include <string>

#include "base/file_io.h"
#include "store/vault.h"

namespace {

// A vault.json is about 200 bytes; anything far larger is not one, and
// reading it whole would only cost memory.
constexpr std::uint64_t max_vault_file_size = 1 << 20;

std::string file_in(const std::string& data_folder, std::string_view name) {
  return data_folder + "\\" + std::string(name);
}

std::wstring path_in(const std::string& data_folder, std::string_view name) {
  return system_path(file_in(data_folder, name));
}

}  // namespace

bool vault_exists(const std::string& data_folder) {
  const DWORD attributes = ::GetFileAttributesW(path_in(data_folder, vault_file_name).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

Result<void> create_vault(const std::string& data_folder, std::span<const std::uint8_t> master_key,
                          std::span<const std::uint8_t> password) {
  auto text = seal_vault(master_key, password);
  if (!text) return fail(text.error());
  return write_file_atomic(file_in(data_folder, vault_file_name),
                           {reinterpret_cast<const std::uint8_t*>(text->data()), text->size()});
}

Result<SecureBuffer> open_vault(const std::string& data_folder, std::span<const std::uint8_t> password) {
  const auto bytes = read_all_bytes(file_in(data_folder, vault_file_name),
                                    {.max_size = max_vault_file_size, .exclusive_of_writers = true});
  if (!bytes) return fail(std::string(msg_not_the_password));
  return unlock_vault(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), password);
}

bool forget_vault(const std::string& data_folder) {
  FILETIME now{};
  ::GetSystemTimePreciseAsFileTime(&now);
  const std::uint64_t seconds =
      unix_seconds_from_file_time((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
  bool all_moved = true;
  for (const std::string_view name : forgotten_entries) {
    const std::wstring from = path_in(data_folder, name);
    if (::GetFileAttributesW(from.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    // No replacing: an earlier backup of the same second is kept as it is.
    if (!::MoveFileExW(from.c_str(), path_in(data_folder, backup_name(name, seconds)).c_str(), 0)) {
      all_moved = false;
    }
  }
  return all_moved;
}

Result<void> delete_vault(const std::string& data_folder) {
  if (!::DeleteFileW(path_in(data_folder, vault_file_name).c_str())) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND)
      return fail("vault.json could not be deleted (error " + std::to_string(error) + ").");
  }
  return {};
}
