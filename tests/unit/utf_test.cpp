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
      {"\x80", fffd},                            // a lone continuation byte
      {"\xC0\xAF", fffd + fffd},                 // overlong: C0 is never a lead byte
      {"\xE0\x80\xAF", fffd + fffd + fffd},      // overlong three-byte form
      {"\xED\xA0\x80", fffd + fffd + fffd},      // an encoded surrogate
      {"\xF4\x90\x80\x80", fffd + fffd + fffd + fffd},  // past U+10FFFF
      {"\xF5\xFF", fffd + fffd},
      {"\xE2\x82", fffd},                        // a sequence cut by the end is one subpart
      {"\xE2\x82" "a", fffd + "a"},
      {"\xF0\x9F\x98", fffd},
      {"a\xF0\x9F" "b", "a" + fffd + "b"},
  };
  for (const Case& c : cases) EXPECT_EQ(to_utf8(to_wide(c.in)), c.out) << testing::PrintToString(c.in);
}

}  // namespace
