// The registry holds only these three update values; everything else the
// program keeps lives in its data folder.

#include <windows.h>

#include "update/update_registry.h"

#include "base/utf.h"

namespace {

constexpr wchar_t update_key[] = L"Software\\Quorvex\\nimbol";

}  // namespace

std::optional<std::string> read_update_value(const wchar_t* name) {
  // The value may change between asking its size and reading it.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD bytes = 0;
    LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, update_key, name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
    if (status != ERROR_SUCCESS) return std::nullopt;
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    status = RegGetValueW(HKEY_CURRENT_USER, update_key, name, RRF_RT_REG_SZ, nullptr, text.data(), &bytes);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return std::nullopt;
    text.resize(wcsnlen(text.data(), bytes / sizeof(wchar_t)));
    return to_utf8(text);
  }
  return std::nullopt;
}

void write_update_value(const wchar_t* name, std::string_view text) {
  const std::wstring wide = to_wide(text);
  const auto bytes = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
  RegSetKeyValueW(HKEY_CURRENT_USER, update_key, name, REG_SZ, wide.c_str(), bytes);
}

UpdateSetting update_check_setting() { return update_setting_from(read_update_value(UPDATE_CHECK_VALUE)); }

Date today_utc() {
  FILETIME now{};
  GetSystemTimePreciseAsFileTime(&now);
  SYSTEMTIME utc{};
  FileTimeToSystemTime(&now, &utc);
  return {utc.wYear, utc.wMonth, utc.wDay};
}
