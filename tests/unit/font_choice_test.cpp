#include "editor/font_choice.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

std::wstring units(const FaceField& field) { return std::wstring(field.begin(), field.end()); }

std::wstring padded(std::wstring text) {
  text.resize(FACE_FIELD_UNITS, L'\0');
  return text;
}

TEST(FontChoiceFace, TheDialogStartsWithAtMost31UnitsAndANul) {
  struct Case {
    const char* what;
    std::string face;
    std::wstring field;
  };
  const std::string thirty_one(31, 'a');
  const std::string astral = "\xF0\x9D\x84\x9E";  // U+1D11E, two units
  const Case cases[] = {
      {"short", "Consolas", padded(L"Consolas")},
      {"empty", "", padded(L"")},
      {"exactly 31", thirty_one, padded(std::wstring(31, L'a'))},
      {"longer is cut", thirty_one + "bcdef", padded(std::wstring(31, L'a'))},
      {"non-ASCII", "Mei\xC3\x9F Sans \xE2\x82\xAC", padded(L"Mei\u00DF Sans \u20AC")},
      {"astral whole", "x" + astral, padded(std::wstring(L"x") + L'\xD834' + L'\xDD1E')},
      // The field has room for the unit count, not for the characters.
      {"astral cut in half", std::string(30, 'a') + astral, padded(std::wstring(30, L'a') + L'\xD834')},
      {"invalid UTF-8", "A\xFF", padded(L"A\uFFFD")},
  };
  for (const Case& c : cases) {
    const FaceField field = face_field(c.face);
    EXPECT_EQ(units(field), c.field) << c.what;
    EXPECT_EQ(field.back(), L'\0') << c.what;
  }
}

TEST(FontChoiceFace, TheChosenFaceEndsAtTheFirstNulOrFillsTheField) {
  struct Case {
    const char* what;
    std::wstring field;
    std::string face;
  };
  const Case cases[] = {
      {"terminated", padded(L"Courier New"), "Courier New"},
      {"rest after the NUL is ignored", padded(std::wstring(L"Arial\0junk", 10)), "Arial"},
      {"no NUL: all 32 units", std::wstring(32, L'z'), std::string(32, 'z')},
      {"empty", padded(L""), ""},
      {"non-ASCII", padded(L"\u6E38\u30B4\u30B7\u30C3\u30AF"),
       "\xE6\xB8\xB8\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF"},
      {"astral pair", padded(std::wstring(L"A") + L'\xD834' + L'\xDD1E'), "A\xF0\x9D\x84\x9E"},
      {"lone high surrogate", padded(std::wstring(L"A") + L'\xD834' + L"B"),
       "A\xEF\xBF\xBD"
       "B"},
      {"lone low surrogate last", std::wstring(31, L'q') + L'\xDD1E', std::string(31, 'q') + "\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(c.field.size(), FACE_FIELD_UNITS) << c.what;
    FaceField field{};
    std::copy(c.field.begin(), c.field.end(), field.begin());
    EXPECT_EQ(face_from_field(field), c.face) << c.what;
  }
  // What goes in comes back out, as long as it fits.
  for (const std::string& face :
       std::vector<std::string>{"Consolas", "Lucida Sans Typewriter", "\xE2\x82\xAC", std::string(31, 'm')}) {
    EXPECT_EQ(face_from_field(face_field(face)), face);
  }
}

TEST(FontChoiceSize, TenthsBecomeWholePointsAndNothingBelowOne) {
  struct Case {
    std::int32_t tenths;
    std::int32_t points;
  };
  const Case cases[] = {
      {110, 11},
      {119, 11},
      {120, 12},
      {725, 72},
      {20, 2},
      {29, 2},  // two points and more are kept
      {19, 1},
      {10, 1},
      {9, 1},  // below two points: one
      {0, 1},
      {-5, 1},
      {-30, 1},  // nonsense from the dialog still gives a usable size
      {INT_MAX, INT_MAX / 10},
      {INT_MIN, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(points_from_tenths(c.tenths), c.points) << c.tenths;
}

}  // namespace
