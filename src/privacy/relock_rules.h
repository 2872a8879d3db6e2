#pragma once
// When covered text may come back only with the password, and when a reveal
// request opens the prompt that asks for it. Plain values in and out, so
// the whole decision is tested without a window or a clock of its own.

#include <chrono>
#include <cstdint>
#include <optional>

struct RelockFacts {
  bool store_in_use = false;  // the data folder is known
  bool relock_on = false;     // the `password_relock` setting
  bool key_held = false;      // a password is set and its key is held
  std::uint32_t relock_minutes = 0;
  std::optional<std::chrono::steady_clock::time_point> hidden_at;
  std::chrono::steady_clock::time_point now;
};

// True when the text has been covered for at least `relock_minutes` (always,
// with 0) under a password that counts for the re-lock.
bool password_needed(const RelockFacts& facts);

// Whether a reveal request that needs the password should open the prompt:
// never while one is open, and after a cancelled prompt only when the user
// asked (a click or the reveal key), not for mere activation.
constexpr bool prompt_wanted(bool prompt_open, bool prompt_dismissed, bool by_user) {
  return !prompt_open && (by_user || !prompt_dismissed);
}
