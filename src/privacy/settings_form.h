#pragma once
// How the privacy settings window reads its fields back.

#include <cstdint>
#include <optional>
#include <string_view>

inline constexpr std::uint32_t MAX_IDLE_SECONDS = 3600;
inline constexpr std::uint32_t MAX_RELOCK_MINUTES = 1440;
// Read by the same rules as the idle seconds.
inline constexpr std::uint32_t MAX_CLIPBOARD_CLEAR_SECONDS = MAX_IDLE_SECONDS;

inline constexpr std::string_view msg_bad_reveal_key = "The reveal key must be a single letter (A-Z) or digit (0-9).";

// The reveal key's character code (upper case for a letter) when the field,
// trimmed, holds exactly one letter A-Z or a-z or one digit; nothing else.
std::optional<std::uint8_t> parse_reveal_key(std::string_view field);

// A number field, trimmed: an empty or unreadable text is 0; a larger number
// than `maximum` (however many digits) is `maximum`.
std::uint32_t parse_bounded_number(std::string_view field, std::uint32_t maximum);
