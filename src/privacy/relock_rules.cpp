#include "privacy/relock_rules.h"

bool password_needed(const RelockFacts& facts) {
  if (!facts.store_in_use || !facts.key_held || !facts.hidden_at) return false;
  if (facts.locked_by_user) return true;
  if (!facts.relock_on) return false;
  using std::chrono::duration_cast;
  using std::chrono::seconds;
  // A clock that reads earlier than the cover counts as no time covered.
  const std::int64_t elapsed =
      facts.now < *facts.hidden_at ? 0 : duration_cast<seconds>(facts.now - *facts.hidden_at).count();
  return elapsed >= static_cast<std::int64_t>(facts.relock_minutes) * 60;
}

CoverSettings cover_settings(const Config& config) {
  return {config.hide_text, config.reveal, config.reveal_key, config.password_relock, config.relock_minutes};
}

bool weakens_cover(const CoverSettings& before, const CoverSettings& after) {
  if (before.hide_text && !after.hide_text) return true;
  if (before.password_relock && !after.password_relock) return true;
  // Minutes only count while the re-lock is on both before and after;
  // switching it on with any number of minutes is a gain.
  if (before.password_relock && after.password_relock && after.relock_minutes > before.relock_minutes) return true;
  if (before.reveal != after.reveal) return true;
  // The chord matters only while a key is what reveals.
  return after.reveal == Reveal::Key && before.reveal_key != after.reveal_key;
}
