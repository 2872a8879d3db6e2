#pragma once
// The two values the update check compares: a release's version and a
// calendar day, each with its one text form (the form the list of versions
// and the registry use, and the form shown).

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct Version {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t patch = 0;
  auto operator<=>(const Version&) const = default;
};

// "M.m.p": exactly three decimal numbers that fit in 32 bits, separated by
// dots. Two or four parts, signs, spaces, letters or overflow are no version.
[[nodiscard]] std::optional<Version> parse_version(std::string_view text);
std::string format_version(const Version& version);

// The version of this program.
Version own_version();

struct Date {
  std::uint32_t year = 0;
  std::uint32_t month = 1;
  std::uint32_t day = 1;
  auto operator<=>(const Date&) const = default;
};

// "YYYY-MM-DD" with exactly those ten characters, naming a day that exists
// (so 2027-02-30 is no date).
[[nodiscard]] std::optional<Date> parse_date(std::string_view text);
std::string format_date(const Date& date);
