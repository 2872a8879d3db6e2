#pragma once
// When covered text may come back only with the password, and when a reveal
// request opens the prompt that asks for it. Plain values in and out, so
// the whole decision is tested without a window or a clock of its own.

#include <chrono>
#include <cstdint>
#include <optional>

#include "model/config.h"

struct RelockFacts {
  bool store_in_use = false;  // the data folder is known
  bool relock_on = false;     // the `password_relock` setting
  bool key_held = false;      // a password is set and its key is held
  std::uint32_t relock_minutes = 0;
  std::optional<std::chrono::steady_clock::time_point> hidden_at;
  std::chrono::steady_clock::time_point now;
  // The user hid the text on purpose (Hide Now): with a password set, only
  // the password brings it back, whatever the re-lock settings say.
  bool locked_by_user = false;
};

// True when the text has been covered for at least `relock_minutes` (always,
// with 0) under a password that counts for the re-lock, or when the user
// locked it under a held password.
bool password_needed(const RelockFacts& facts);

// Whether a reveal request that needs the password should open the prompt:
// never while one is open, and after a cancelled prompt only when the user
// asked (a click or the reveal key), not for mere activation.
constexpr bool prompt_wanted(bool prompt_open, bool prompt_dismissed, bool by_user) {
  return !prompt_open && (by_user || !prompt_dismissed);
}

// The settings that decide how covered text comes back.
struct CoverSettings {
  bool hide_text = true;
  Reveal reveal = Reveal::Focus;
  RevealKey reveal_key;
  bool password_relock = false;
  std::uint32_t relock_minutes = 0;
};

CoverSettings cover_settings(const Config& config);

// Whether going from `before` to `after` could let covered text come back
// more easily: hiding or the re-lock switched off, more minutes before the
// re-lock asks, another way of revealing or another reveal key. A change
// the other way, or of anything else, weakens nothing.
bool weakens_cover(const CoverSettings& before, const CoverSettings& after);
