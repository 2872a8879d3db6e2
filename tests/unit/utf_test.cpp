#include "base/utf.h"

#include <gtest/gtest.h>

namespace {

const std::string fffd = "\xEF\xBF\xBD";

TEST(Utf, RoundTripsEveryKindOfCharacter) {
  const std::string text = "plain, \xC3\xA9t\xC3\xA9, \xE2\x82\xAC, \xF0\x9F\x98\x80 and \xF4\x8F\xBF\xBF";
  const std::wstring wide = to_wide(text);
  EXPECT_EQ(wide.size(), 24u);  // the two astral characters take two units each
  EXPECT_EQ(to_utf8(wide), text);
}

// The conversions carry tab text, so each allocates its result once, at a
// size it knows will do: a string that grows leaves the text it held in
// freed memory, unwiped. The standard library doubles a growing string's
// capacity, so one allocated once has exactly the size it was given.
TEST(Utf, ConversionsAllocateOnceAndNeverGrow) {
  std::string cjk;
  for (int i = 0; i < 200; ++i) cjk += "\xE6\x97\xA5";  // U+65E5, one unit, three bytes
  std::string astral;
  for (int i = 0; i < 50; ++i) astral += "\xF0\x9F\x98\x80";  // two units, four bytes
  const std::string texts[] = {
      std::string(100, 'a'),
      cjk,
      astral,
      "mixed \xC3\xA9t\xC3\xA9 \xE2\x82\xAC " + cjk.substr(0, 30) + " \xF0\x9F\x98\x80 and more",
  };
  for (const std::string& text : texts) {
    const std::wstring wide = to_wide(text);
    EXPECT_EQ(wide.capacity(), text.size());
    const std::string back = to_utf8(wide);
    EXPECT_EQ(back, text);
    EXPECT_EQ(back.capacity(), back.size());
  }
  // Unpaired surrogates become three bytes each.
  const std::wstring lone(40, wchar_t(0xD800));
  const std::string replaced = to_utf8(lone);
  EXPECT_EQ(replaced.size(), 120u);
  EXPECT_EQ(replaced.capacity(), replaced.size());
}

TEST(Utf, UnpairedSurrogatesFromWindowsBecomeReplacementCharacters) {
  EXPECT_EQ(to_utf8(std::wstring{wchar_t(0xD83D)}), fffd);
  EXPECT_EQ(to_utf8(std::wstring{wchar_t(0xDE00), L'a'}), fffd + "a");
  EXPECT_EQ(to_utf8(std::wstring{L'a', wchar_t(0xD83D), wchar_t(0xD83D), wchar_t(0xDE00)}),
            "a" + fffd + "\xF0\x9F\x98\x80");
}

TEST(Utf, InvalidUtf8BecomesOneReplacementPerMaximalSubpart) {
  struct Case {
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"\x80", fffd},                                   // a lone continuation byte
      {"\xC0\xAF", fffd + fffd},                        // overlong: C0 is never a lead byte
      {"\xE0\x80\xAF", fffd + fffd + fffd},             // overlong three-byte form
      {"\xED\xA0\x80", fffd + fffd + fffd},             // an encoded surrogate
      {"\xF4\x90\x80\x80", fffd + fffd + fffd + fffd},  // past U+10FFFF
      {"\xF5\xFF", fffd + fffd},
      {"\xE2\x82", fffd},  // a sequence cut by the end is one subpart
      {"\xE2\x82"
       "a",
       fffd + "a"},
      {"\xF0\x9F\x98", fffd},
      {"a\xF0\x9F"
       "b",
       "a" + fffd + "b"},
  };
  for (const Case& c : cases) EXPECT_EQ(to_utf8(to_wide(c.in)), c.out) << testing::PrintToString(c.in);
}

}  // namespace
