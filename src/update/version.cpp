// Versions and dates arrive from a server and from the registry, where
// anyone can write anything; both parsers accept only the exact forms the
// program writes itself, and a date must be a day that exists.

#include "update/version.h"

#include <array>
#include <charconv>

#include "model/maker_site.h"

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A run of decimal digits, all of it, that fits in 32 bits.
std::optional<std::uint32_t> whole_number(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  for (const char c : digits) {
    if (!is_digit(c)) return std::nullopt;
  }
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

bool is_leap_year(std::uint32_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

std::uint32_t days_in_month(std::uint32_t year, std::uint32_t month) {
  static constexpr std::array<std::uint32_t, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && is_leap_year(year) ? 29 : days[month - 1];
}

// At least `width` digits, zeros in front.
std::string padded(std::uint32_t value, std::size_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

}  // namespace

std::optional<Version> parse_version(std::string_view text) {
  std::array<std::uint32_t, 3> parts{};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::size_t dot = text.find('.');
    const bool last = i + 1 == parts.size();
    if (last != (dot == std::string_view::npos)) return std::nullopt;
    const auto number = whole_number(text.substr(0, dot));
    if (!number) return std::nullopt;
    parts[i] = *number;
    text = last ? std::string_view{} : text.substr(dot + 1);
  }
  return Version{parts[0], parts[1], parts[2]};
}

std::string format_version(const Version& version) {
  return std::to_string(version.major) + "." + std::to_string(version.minor) + "." + std::to_string(version.patch);
}

Version own_version() {
  static const Version own = parse_version(PRODUCT_VERSION).value_or(Version{});
  return own;
}

std::optional<Date> parse_date(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const auto year = whole_number(text.substr(0, 4));
  const auto month = whole_number(text.substr(5, 2));
  const auto day = whole_number(text.substr(8, 2));
  if (!year || !month || !day) return std::nullopt;
  if (*month < 1 || *month > 12 || *day < 1 || *day > days_in_month(*year, *month)) return std::nullopt;
  return Date{*year, *month, *day};
}

std::string format_date(const Date& date) {
  return padded(date.year, 4) + "-" + padded(date.month, 2) + "-" + padded(date.day, 2);
}
