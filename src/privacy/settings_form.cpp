#include "privacy/settings_form.h"

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && is_space(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_space(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<std::uint8_t> parse_reveal_key(std::string_view field) {
  const std::string_view text = trimmed(field);
  if (text.size() != 1) return std::nullopt;
  const char c = text.front();
  if (c >= 'a' && c <= 'z') return static_cast<std::uint8_t>(c - 'a' + 'A');
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<std::uint8_t>(c);
  return std::nullopt;
}

std::uint32_t parse_bounded_number(std::string_view field, std::uint32_t maximum) {
  const std::string_view text = trimmed(field);
  if (text.empty()) return 0;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return 0;
    // Past the maximum the rest of the digits cannot bring it back.
    if (value <= maximum) value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value > maximum ? maximum : static_cast<std::uint32_t>(value);
}
