#pragma once
// Whether the user agreed to automatic checks, and whether one is due.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "update/version.h"

enum class UpdateSetting : std::uint8_t { Undecided, On, Off };

// The stored value: "on" or "off"; missing or anything else is undecided.
UpdateSetting update_setting_from(const std::optional<std::string>& stored);
std::string_view stored_update_setting(bool on);

// A check is due when checks are on and the last successful one (the stored
// date) was not on `today`: at most one successful check a day, and a failed
// one is tried again at the next tick.
bool check_due(UpdateSetting setting, const std::optional<std::string>& last_checked, const Date& today);
