// The arithmetic and rules behind idle hiding, the password re-lock and the
// privacy settings window's fields.

#include <gtest/gtest.h>

#include "privacy/idle_time.h"
#include "privacy/relock_rules.h"
#include "privacy/settings_form.h"

namespace {

using namespace std::chrono_literals;

TEST(IdleTime, CountsAcrossTheTickWrapAndHoldsTheLimitForLargeSettings) {
  struct Case {
    std::uint32_t now, last, seconds;
    bool reached;
  } cases[] = {
      {31'000, 1'000, 30, true},               // exactly the limit
      {30'999, 1'000, 30, false},              // a millisecond short
      {29'000, 0xFFFF'FFFFu - 999, 30, true},  // the tick count wrapped in between
      {28'999, 0xFFFF'FFFFu - 999, 30, false},
      {5'000, 5'000, 1, false},
      {0xFFFF'FFFFu, 0, 0, false},          // 0 means never
      {0xFFFF'FFFEu, 0, 4'294'968, false},  // the limit is the largest value...
      {0xFFFF'FFFFu, 0, 4'294'968, true},   // ...not a wrapped small one
      {0xFFFF'FFFFu, 0, 4'294'967, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(idle_limit_reached(c.now, c.last, c.seconds), c.reached) << c.now << " " << c.last << " " << c.seconds;
  }
  EXPECT_EQ(idle_limit_ms(4'294'967), 4'294'967'000u);
  EXPECT_EQ(idle_limit_ms(4'294'968), UINT32_MAX);
  EXPECT_EQ(idle_limit_ms(UINT32_MAX), UINT32_MAX);
}

TEST(Relock, ThePasswordIsNeededOnlyUnderAHeldKeyAfterTheChosenTime) {
  const auto t0 = std::chrono::steady_clock::time_point{} + 1000h;
  struct Case {
    bool store, relock, key;
    std::uint32_t minutes;
    std::optional<std::chrono::steady_clock::duration> covered;
    bool needed;
  } cases[] = {
      {true, true, true, 5, 4min + 59s, false},
      {true, true, true, 5, 5min, true},
      {true, true, true, 0, 0s, true},  // 0 asks every time
      {true, true, true, 0, -3s, true},
      {true, true, true, 1, -3s, false},           // a clock that went back counts as no time
      {false, true, true, 0, 1h, false},           // no data folder: no vault to ask
      {true, false, true, 0, 1h, false},           // re-lock off
      {true, true, false, 0, 1h, false},           // no password set
      {true, true, true, 0, std::nullopt, false},  // never covered
      // 4294967295 minutes overflow 32 bits as seconds; the comparison must not.
      {true, true, true, UINT32_MAX, 24h * 365 * 100, false},
  };
  for (const Case& c : cases) {
    RelockFacts facts{c.store, c.relock, c.key, c.minutes, std::nullopt, t0};
    if (c.covered) facts.hidden_at = t0 - *c.covered;
    EXPECT_EQ(password_needed(facts), c.needed) << c.minutes;
  }
}

TEST(Relock, AfterHideNowAHeldPasswordIsAlwaysNeeded) {
  const auto t0 = std::chrono::steady_clock::time_point{} + 1000h;
  struct Case {
    bool store, relock, key;
    std::uint32_t minutes;
    bool needed;
  } cases[] = {
      {true, false, true, 5, true},    // re-lock off
      {true, true, true, 1440, true},  // covered for a second of a day's minutes
      {true, true, false, 0, false},   // no password: nothing to ask
      {false, false, true, 0, false},  // no data folder: no vault to ask
  };
  for (const Case& c : cases) {
    RelockFacts facts{c.store, c.relock, c.key, c.minutes, t0 - 1s, t0};
    facts.locked_by_user = true;
    EXPECT_EQ(password_needed(facts), c.needed) << c.store << c.relock << c.key << c.minutes;
  }
}

TEST(Relock, AChangeWeakensTheCoverWhenItMakesShowingTheTextEasier) {
  const CoverSettings base{true, Reveal::Key, RevealKey{true, false, false, 'U'}, true, 5};
  struct Case {
    const char* what;
    void (*change)(CoverSettings&);
    bool weakens;
  } cases[] = {
      {"nothing", [](CoverSettings&) {}, false},
      {"hiding off", [](CoverSettings& s) { s.hide_text = false; }, true},
      {"re-lock off", [](CoverSettings& s) { s.password_relock = false; }, true},
      {"more minutes", [](CoverSettings& s) { s.relock_minutes = 6; }, true},
      {"fewer minutes", [](CoverSettings& s) { s.relock_minutes = 0; }, false},
      {"reveal by focus", [](CoverSettings& s) { s.reveal = Reveal::Focus; }, true},
      {"reveal by click", [](CoverSettings& s) { s.reveal = Reveal::Click; }, true},
      {"another key", [](CoverSettings& s) { s.reveal_key.key = 'K'; }, true},
      {"another modifier", [](CoverSettings& s) { s.reveal_key.shift = true; }, true},
  };
  for (const Case& c : cases) {
    CoverSettings after = base;
    c.change(after);
    EXPECT_EQ(weakens_cover(base, after), c.weakens) << c.what;
  }
  // From weaker settings towards stronger ones nothing weakens.
  const CoverSettings open{false, Reveal::Focus, RevealKey{}, false, 1440};
  EXPECT_FALSE(weakens_cover(open, CoverSettings{true, Reveal::Focus, RevealKey{}, true, 1440}));
  EXPECT_FALSE(weakens_cover(open, CoverSettings{false, Reveal::Focus, RevealKey{}, true, 0}));
  // The chord is not in use unless a key reveals.
  EXPECT_FALSE(
      weakens_cover(open, CoverSettings{false, Reveal::Focus, RevealKey{false, true, true, '7'}, false, 1440}));
}

TEST(Relock, ACancelledPromptComesBackOnlyWhenTheUserAsks) {
  struct Case {
    bool open, dismissed, by_user, wanted;
  } cases[] = {
      {false, false, false, true}, {false, false, true, true}, {false, true, false, false},
      {false, true, true, true},   {true, false, true, false}, {true, true, true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(prompt_wanted(c.open, c.dismissed, c.by_user), c.wanted) << c.open << c.dismissed << c.by_user;
  }
}

TEST(SettingsForm, TheRevealKeyIsOneLetterOrDigitInUpperCase) {
  struct Case {
    std::string_view field;
    std::optional<std::uint8_t> key;
  } cases[] = {
      {"k", 'K'},
      {"K", 'K'},
      {" z\t", 'Z'},
      {"7", '7'},
      {"a", 'A'},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"+", std::nullopt},
      {"AB", std::nullopt},
      {"\xC3\xA9", std::nullopt},  // an accented letter
      {"a b", std::nullopt},
      {"@", std::nullopt},
      {"[", std::nullopt},
      {"{", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(parse_reveal_key(c.field), c.key) << c.field;
}

TEST(SettingsForm, NumbersAreTrimmedEmptyIsZeroAndTooLargeIsTheMaximum) {
  struct Case {
    std::string_view field;
    std::uint32_t maximum, value;
  } cases[] = {
      {"30", MAX_IDLE_SECONDS, 30},
      {" 45 ", MAX_IDLE_SECONDS, 45},
      {"9999", MAX_IDLE_SECONDS, 3600},
      {"3600", MAX_IDLE_SECONDS, 3600},
      {"", MAX_IDLE_SECONDS, 0},
      {"  ", MAX_RELOCK_MINUTES, 0},
      {"12a", MAX_IDLE_SECONDS, 0},
      {"-5", MAX_IDLE_SECONDS, 0},
      {"9999", MAX_RELOCK_MINUTES, 1440},
      {"0005", MAX_RELOCK_MINUTES, 5},
      {"99999999999999999999", MAX_RELOCK_MINUTES, 1440},
  };
  for (const Case& c : cases) EXPECT_EQ(parse_bounded_number(c.field, c.maximum), c.value) << c.field;
}

}  // namespace
