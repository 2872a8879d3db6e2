// What the find bar decides: Replace All over characters whose lower case
// differs from them in length, the selection test of Replace, which
// selections fill the find field, and the order of the editor's searches.

#include "find/find_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cwctype>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/utf.h"
#include "find/lower_case.h"

namespace {

std::string utf8_of(const std::u32string& text) {
  std::string out;
  for (const char32_t c : text) append_utf8(out, c);
  return out;
}

// ---- Replace All ----

TEST(FindText, ReplaceAllWalksTheTextCharacterByCharacter) {
  struct Case {
    const char* what;
    std::string text;
    std::string find;
    std::string replacement;
    bool match_case;
    std::string expected;
    std::size_t count;
  };
  const Case cases[] = {
      {"matches do not overlap", "aaa", "aa", "b", true, "ba", 1},
      {"an empty replacement deletes", "one two one\rone", "one", "", true, " two \r", 3},
      {"the replacement is not searched again", "a-a", "a", "aa", true, "aa-aa", 2},
      {"an empty find text changes nothing", "abc", "", "b", false, "abc", 0},
      // U+212A KELVIN SIGN: three bytes whose lower case, k, is one.
      {"a lower case shorter in bytes", "1 \xE2\x84\xAA = 1 K", "k", "kelvin", false, "1 kelvin = 1 kelvin", 2},
      {"the same, matching case", "1 \xE2\x84\xAA = 1 k", "k", "kelvin", true, "1 \xE2\x84\xAA = 1 kelvin", 1},
      // U+023A: two bytes whose lower case, U+2C65, takes three.
      {"a lower case longer in bytes", "\xC8\xBA\xC8\xBA!", "\xE2\xB1\xA5", "o", false, "oo!", 2},
      // U+1E9E capital sharp s lowers to U+00DF.
      {"sharp s",
       "STRA\xE1\xBA\x9E"
       "E",
       "stra\xC3\x9F"
       "e",
       "road", false, "road", 1},
      // U+0130 lowers to two characters, i and U+0307, so it matches
      // neither i nor that pair: one character is compared with one.
      {"dotted capital I, one to one", "\xC4\xB0 i I i\xCC\x87", "\xC4\xB0", "#", false, "# i I i\xCC\x87", 1},
      {"dotted capital I is not i", "\xC4\xB0 i I", "i", "#", false, "\xC4\xB0 # #", 2},
      {"nor i and a dot above", "\xC4\xB0", "i\xCC\x87", "#", false, "\xC4\xB0", 0},
      // U+10400 and its lower case U+10428, outside the 16-bit range.
      {"astral letters", "\xF0\x90\x90\x80\xF0\x90\x90\xA8", "\xF0\x90\x90\xA8", "d", false, "dd", 2},
      {"final sigma is not sigma", "\xCE\xA3\xCF\x82", "\xCF\x83", "s", false, "s\xCF\x82", 1},
      // The editor never hands out invalid UTF-8; should it, no byte is lost.
      {"unreadable bytes stay",
       "a\xFF"
       "b\xE2\x82"
       "a",
       "a", "x", true,
       "x\xFF"
       "b\xE2\x82"
       "x",
       2},
  };
  for (const Case& c : cases) {
    const ReplacedText out = replace_matches(c.text, c.find, c.replacement, c.match_case);
    EXPECT_EQ(out.text, c.expected) << c.what;
    EXPECT_EQ(out.count, c.count) << c.what;
  }
  EXPECT_EQ(replaced_message(replace_matches("aaa", "aa", "b", false).count), "Replaced 1");
  EXPECT_EQ(replaced_message(0), "Replaced 0");
}

// The walk exactly as described, one start after the other: slow, plain,
// and the measure for the quicker search.
ReplacedText walk(const std::u32string& text, const std::u32string& find, bool match_case) {
  const auto same = [&](char32_t a, char32_t b) { return a == b || (!match_case && lower_case(a) == lower_case(b)); };
  std::u32string out;
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t k = 0;
    while (k < find.size() && i + k < text.size() && same(text[i + k], find[k])) ++k;
    if (!find.empty() && k == find.size()) {
      out += U"<>";
      ++count;
      i += k;
    } else {
      out += text[i++];
    }
  }
  return {utf8_of(out), count};
}

TEST(FindText, ReplaceAllFindsWhatTheCharacterWalkFinds) {
  // Letters that match each other in several ways, and one (U+0130) that
  // matches only itself.
  const std::u32string letters = U"aAbB\u212Ak\u0130i";
  std::mt19937 random(2027);
  const auto pick = [&](std::size_t max_length) {
    std::u32string s(std::uniform_int_distribution<std::size_t>(0, max_length)(random), U' ');
    for (char32_t& c : s) c = letters[std::uniform_int_distribution<std::size_t>(0, letters.size() - 1)(random)];
    return s;
  };
  for (int round = 0; round < 3000; ++round) {
    const std::u32string text = pick(24);
    const std::u32string find = pick(4);
    const bool match_case = round % 2 == 0;
    const ReplacedText expected = walk(text, find, match_case);
    const ReplacedText out = replace_matches(utf8_of(text), utf8_of(find), "<>", match_case);
    ASSERT_EQ(out.text, expected.text) << utf8_of(text) << " / " << utf8_of(find) << " / " << match_case;
    ASSERT_EQ(out.count, expected.count) << utf8_of(text) << " / " << utf8_of(find) << " / " << match_case;
  }
}

// ---- the lower-case mapping ----

#ifndef _WIN32
// The C library of the host (glibc, Unicode 14.0 as well) is an independent
// reader of the same data: its simple lower case must agree with ours for
// every character but the one whose full mapping is two characters.
TEST(FindText, LowerCaseAgreesWithTheHostCLibraryEverywhere) {
  const std::string previous = std::setlocale(LC_CTYPE, nullptr);
  if (!std::setlocale(LC_CTYPE, "C.UTF-8")) GTEST_SKIP() << "no C.UTF-8 locale";
  int differences = 0;
  for (char32_t c = 0; c <= 0x10FFFF && differences < 10; ++c) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c == 0x0130) continue;
    const LowerCase ours = lower_case(c);
    const auto theirs = static_cast<char32_t>(std::towlower(static_cast<std::wint_t>(c)));
    if (ours.size != 1 || ours.characters[0] != theirs) {
      ADD_FAILURE() << std::hex << std::uint32_t(c) << ": ours " << std::uint32_t(ours.characters[0]) << ", theirs "
                    << std::uint32_t(theirs);
      ++differences;
    }
  }
  std::setlocale(LC_CTYPE, previous.c_str());
}
#endif

// ---- Replace on a selection, and the prefill ----

TEST(FindText, ReplaceTakesTheSelectionOnlyWhenItIsTheTextSought) {
  struct Case {
    std::string selected;
    std::string find;
    bool match_case;
    bool matches;
  };
  const Case cases[] = {
      {"ABC", "abc", false, true},
      {"ABC", "abc", true, false},
      {"abc", "abc", true, true},
      {"", "", false, false},
      {"\xE2\x84\xAA", "k", false, true},  // KELVIN SIGN
      // Whole strings are lowered here, so U+0130 equals i with a dot above.
      {"\xC4\xB0", "i\xCC\x87", false, true},
      {"\xC4\xB0", "i", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(selection_matches(c.selected, c.find, c.match_case), c.matches) << c.selected << " / " << c.find;
  }
}

TEST(FindText, OnlyAOneLineSelectionFillsTheFindField) {
  const std::string astral = "\xF0\x9F\x98\x80";  // two UTF-16 units
  struct Case {
    std::string selected;
    bool fills;
  };
  const Case cases[] = {
      {"word", true},
      {"", false},
      {"one\rtwo", false},
      {"one\r", false},
      {"one\ntwo", false},
      {std::string(1000, 'x'), true},
      {std::string(1001, 'x'), false},
      {std::string(998, 'x') + astral, true},
      {std::string(999, 'x') + astral, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fills_find_field(c.selected), c.fills) << c.selected.size();
  }
}

// ---- Find Next and Previous ----

TEST(FindText, FindWrapsToTheOtherEndOnlyWhenNothingIsAhead) {
  // "one" at 0, 8 and 16; "two one two" once, at 4.
  const std::u16string text = u"one two one two one";
  const auto length = static_cast<std::int32_t>(text.size());
  struct Case {
    const char* what;
    std::u16string sought;
    CharRange selection;
    bool forward;
    std::optional<CharRange> found;
    std::vector<CharRange> asked;
  };
  const Case cases[] = {
      {"next from the start", u"one", {0, 0}, true, CharRange{0, 3}, {{0, -1}}},
      {"next after a selected match", u"one", {8, 11}, true, CharRange{16, 19}, {{11, -1}}},
      {"next after the last match wraps", u"one", {17, 17}, true, CharRange{0, 3}, {{17, -1}, {0, -1}}},
      {"previous from the middle", u"one", {12, 14}, false, CharRange{8, 11}, {{12, 0}}},
      {"previous before the first match wraps", u"one", {2, 2}, false, CharRange{16, 19}, {{2, 0}, {19, 0}}},
      {"the only match is selected again", u"two one two", {4, 15}, true, CharRange{4, 15}, {{15, -1}, {0, -1}}},
      {"backward too", u"two one two", {4, 15}, false, CharRange{4, 15}, {{4, 0}, {19, 0}}},
      {"nothing anywhere", u"six", {5, 5}, true, std::nullopt, {{5, -1}, {0, -1}}},
  };
  for (const Case& c : cases) {
    // The control's search as the program uses it: exact matches within
    // the range, the first one forward, the last one backward.
    std::vector<CharRange> asked;
    const auto search = [&](CharRange range) {
      asked.push_back(range);
      const auto n = static_cast<std::int32_t>(c.sought.size());
      const std::int32_t low = c.forward ? range.min : range.max;
      const std::int32_t high = c.forward ? (range.max == -1 ? length : range.max) : range.min;
      std::optional<CharRange> found;
      for (std::int32_t at = low; at + n <= high && !(found && c.forward); ++at) {
        if (text.compare(static_cast<std::size_t>(at), c.sought.size(), c.sought) == 0) found = CharRange{at, at + n};
      }
      return found;
    };
    EXPECT_EQ(find_with_wrap(c.selection, length, c.forward, search), c.found) << c.what;
    EXPECT_EQ(asked, c.asked) << c.what;
  }
}

}  // namespace
