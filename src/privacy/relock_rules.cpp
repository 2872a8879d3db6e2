#include "privacy/relock_rules.h"

bool password_needed(const RelockFacts& facts) {
  if (!facts.store_in_use || !facts.relock_on || !facts.key_held || !facts.hidden_at) return false;
  using std::chrono::duration_cast;
  using std::chrono::seconds;
  // A clock that reads earlier than the cover counts as no time covered.
  const std::int64_t elapsed =
      facts.now < *facts.hidden_at ? 0 : duration_cast<seconds>(facts.now - *facts.hidden_at).count();
  return elapsed >= static_cast<std::int64_t>(facts.relock_minutes) * 60;
}
