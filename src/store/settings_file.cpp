// Where the settings live and how they reach the disk. Every failure here is
// silent by design: settings are a convenience, and the program runs on with
// the defaults or with the file it had. The file goes through the atomic
// write (base/file_io.h), so that a crash or a full disk never leaves half a
// file behind.

#include <windows.h>

#include "base/file_io.h"
#include "base/utf.h"
#include "store/settings.h"

namespace {

bool is_separator(wchar_t c) { return c == L'\\' || c == L'/'; }

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
  // A settings file is a few hundred bytes; reading a far larger one whole
  // would only cost memory, and it is not one of ours anyway.
  const auto bytes = read_all_bytes(*path, {.max_size = MAX_CONFIG_FILE_SIZE});
  if (!bytes) return Config{};
  return parse_config(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

void save_config(const Config& config) {
  const auto path = config_path();
  if (!path) return;
  static_cast<void>(create_folder_path(*data_folder()));
  const std::string text = serialize_config(config);
  const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  static_cast<void>(write_file_atomic(*path, bytes));
}
