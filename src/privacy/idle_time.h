#pragma once
// How long the user has left keyboard and mouse alone, from two readings of
// the 32-bit millisecond tick count.

#include <cstdint>

// The largest idle limit in whole seconds whose milliseconds still fit.
inline constexpr std::uint32_t IDLE_SECONDS_FITTING = 4294967;

// Milliseconds from the last input to now. The tick count wraps after
// about 49.7 days; unsigned subtraction stays right across the wrap.
constexpr std::uint32_t idle_milliseconds(std::uint32_t now_ticks, std::uint32_t last_input_ticks) {
  return now_ticks - last_input_ticks;
}

// `idle_seconds` in milliseconds, held at the largest 32-bit value when the
// product does not fit.
constexpr std::uint32_t idle_limit_ms(std::uint32_t idle_seconds) {
  return idle_seconds > IDLE_SECONDS_FITTING ? UINT32_MAX : idle_seconds * 1000u;
}

constexpr bool idle_limit_reached(std::uint32_t now_ticks, std::uint32_t last_input_ticks, std::uint32_t idle_seconds) {
  return idle_seconds != 0 && idle_milliseconds(now_ticks, last_input_ticks) >= idle_limit_ms(idle_seconds);
}
