// Where the settings live and how they reach the disk. Every failure here is
// silent by design: settings are a convenience, and the program runs on with
// the defaults or with the file it had. The atomic write is shared by every
// file the program owns, so that a crash or a full disk never leaves half a
// file behind.

#include <windows.h>

#include <array>
#include <vector>

#include "base/handles.h"
#include "base/system_error.h"
#include "base/utf.h"
#include "store/settings.h"

namespace {

std::string error_text(DWORD code) {
  return system_error_text(code) + " (os error " + std::to_string(code) + ")";
}

bool is_separator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Creates every missing folder on the way; failures are left for the write
// that follows to report.
void create_folders(const std::wstring& path) {
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || is_separator(path[i])) {
      if (!is_separator(path[i - 1])) CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
    }
  }
}

std::optional<std::string> read_text_file(const std::string& path) {
  UniqueFile file(CreateFileW(to_wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string text;
  std::array<char, 16384> chunk;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    text.append(chunk.data(), got);
  }
  return text;
}

// Writes and flushes the whole file; 0 on success, else the error code. The
// handle is closed on return, so the caller can delete the file.
DWORD write_and_flush(const std::wstring& path, std::span<const std::uint8_t> bytes) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  while (!bytes.empty()) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), want, &written, nullptr)) return GetLastError();
    // A write that makes no progress would otherwise loop for ever.
    if (written == 0) return ERROR_WRITE_FAULT;
    bytes = bytes.subspan(written);
  }
  if (!FlushFileBuffers(file.get())) return GetLastError();
  // Closing can still report a deferred write error; it counts as a failure.
  HANDLE handle = file.get();
  static_cast<void>(file.release());
  if (!CloseHandle(handle)) return GetLastError();
  return 0;
}

}  // namespace

std::optional<std::string> data_folder() {
  const DWORD size = GetEnvironmentVariableW(L"APPDATA", nullptr, 0);
  if (size <= 1) return std::nullopt;  // unset, or set to nothing
  std::wstring value(size, L'\0');
  const DWORD length = GetEnvironmentVariableW(L"APPDATA", value.data(), size);
  if (length == 0 || length >= size) return std::nullopt;
  value.resize(length);
  if (!is_separator(value.back())) value += L'\\';
  return to_utf8(value + L"Nimbol");
}

std::optional<std::string> config_path() {
  auto folder = data_folder();
  if (!folder) return std::nullopt;
  return *folder + "\\config.json";
}

Config load_config() {
  const auto path = config_path();
  if (!path) return Config{};
  const auto text = read_text_file(*path);
  if (!text) return Config{};
  return parse_config(*text);
}

void save_config(const Config& config) {
  const auto path = config_path();
  if (!path) return;
  create_folders(to_wide(*data_folder()));
  const std::string text = serialize_config(config);
  const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  static_cast<void>(write_file_atomic(*path, bytes));
}

Result<void> write_file_atomic(const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::wstring target = to_wide(path);
  const std::wstring temporary = target + L".tmp";
  DWORD error = write_and_flush(temporary, bytes);
  if (error == 0 && !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
  }
  if (error != 0) {
    DeleteFileW(temporary.c_str());
    return fail(error_text(error));
  }
  return {};
}
