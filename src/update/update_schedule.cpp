// The once-a-day rule, kept apart from the clock and the registry so that
// it can be tried against any day and any stored value.

#include "update/update_schedule.h"

UpdateSetting update_setting_from(const std::optional<std::string>& stored) {
  if (stored == "on") return UpdateSetting::On;
  if (stored == "off") return UpdateSetting::Off;
  return UpdateSetting::Undecided;
}

std::string_view stored_update_setting(bool on) { return on ? "on" : "off"; }

bool check_due(UpdateSetting setting, const std::optional<std::string>& last_checked, const Date& today) {
  if (setting != UpdateSetting::On) return false;
  const std::optional<Date> last = last_checked ? parse_date(*last_checked) : std::nullopt;
  return !last || *last != today;
}
