#pragma once
// The update check's values in the per-user registry and the day it is now.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "update/update_schedule.h"
#include "update/version.h"

inline constexpr wchar_t UPDATE_CHECK_VALUE[] = L"UpdateCheck";
inline constexpr wchar_t UPDATE_CHECKED_VALUE[] = L"UpdateChecked";
inline constexpr wchar_t UPDATE_NOTIFIED_VALUE[] = L"UpdateNotified";

// A string value under HKEY_CURRENT_USER\Software\Quorvex\nimbol, or nothing
// when it is missing, not a string or unreadable.
std::optional<std::string> read_update_value(const wchar_t* name);
// A failed write is ignored: the program goes on with the value it had.
void write_update_value(const wchar_t* name, std::string_view text);

UpdateSetting update_check_setting();

// The current date in UTC.
Date today_utc();
