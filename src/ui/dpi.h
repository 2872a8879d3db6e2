#pragma once
// Every size of the program's own windows is written for 96 DPI and scaled
// by this one rule, rounding half up.

#include <cstdint>

constexpr std::int32_t scale_for_dpi(std::int32_t value, std::uint32_t dpi) {
  return static_cast<std::int32_t>((static_cast<std::int64_t>(value) * dpi + 48) / 96);
}

// The editor font height for a point size: negative, the character height,
// rounded half up.
constexpr std::int32_t font_height_for(std::int32_t points, std::uint32_t dpi) {
  return -static_cast<std::int32_t>((static_cast<std::int64_t>(points) * dpi + 36) / 72);
}
