// The palettes' colours, the theme switch rules and the DPI rule.

#include <gtest/gtest.h>

#include <cmath>

#include "ui/dpi.h"
#include "ui/palette_values.h"
#include "ui/theme_rules.h"

namespace {

TEST(ThemePalette, HoldsTheExactColoursOfBothThemes) {
  struct Case {
    bool dark;
    PaletteValues expected;
  };
  const Case cases[] = {
      {false,
       {{236, 236, 236},
        {255, 255, 255},
        {220, 220, 220},
        {244, 244, 244},
        {173, 173, 173},
        {236, 236, 236},
        {27, 27, 27},
        {107, 107, 107},
        {0, 102, 204},
        {255, 255, 255}}},
      {true,
       {{45, 45, 45},
        {30, 30, 30},
        {61, 61, 61},
        {58, 58, 58},
        {90, 90, 90},
        {45, 45, 45},
        {230, 230, 230},
        {154, 154, 154},
        {108, 180, 255},
        {30, 30, 30}}},
  };
  for (const Case& c : cases) {
    const PaletteValues& p = palette_values(c.dark);
    const Rgb got[] = {p.window_brush, p.edit_brush, p.tab_brush, p.button_brush, p.border_brush,
                       p.window_color, p.text_color, p.dim_color, p.link_color,   p.edit_color};
    const Rgb want[] = {c.expected.window_brush, c.expected.edit_brush,   c.expected.tab_brush,
                        c.expected.button_brush, c.expected.border_brush, c.expected.window_color,
                        c.expected.text_color,   c.expected.dim_color,    c.expected.link_color,
                        c.expected.edit_color};
    for (std::size_t i = 0; i < std::size(got); ++i) {
      EXPECT_EQ(got[i], want[i]) << (c.dark ? "dark" : "light") << " field " << i;
    }
  }
}

// WCAG relative luminance and contrast ratio.
double luminance(Rgb c) {
  auto channel = [](std::uint8_t v) {
    const double s = v / 255.0;
    return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b);
}

double contrast(Rgb a, Rgb b) {
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(ThemePalette, TextStaysReadableOnEverySurfaceItIsDrawnOn) {
  for (bool dark : {false, true}) {
    const PaletteValues& p = palette_values(dark);
    const char* name = dark ? "dark" : "light";
    // Normal text on dialogs, edits, buttons and hovered tabs.
    EXPECT_GE(contrast(p.text_color, p.window_color), 7.0) << name;
    EXPECT_GE(contrast(p.text_color, p.edit_color), 7.0) << name;
    EXPECT_GE(contrast(p.text_color, p.button_brush), 7.0) << name;
    EXPECT_GE(contrast(p.text_color, p.tab_brush), 7.0) << name;
    // Links and the status bar's dim text on the window background.
    EXPECT_GE(contrast(p.link_color, p.window_color), 4.5) << name;
    EXPECT_GE(contrast(p.dim_color, p.window_color), 4.5) << name;
    // A button's frame must be visible against both the window and its face.
    EXPECT_GE(contrast(p.border_brush, p.window_color), 1.5) << name;
    EXPECT_GE(contrast(p.border_brush, p.button_brush), 1.5) << name;
  }
}

TEST(ThemeRules, ChoiceDecidesTheDarkFlag) {
  struct Case {
    Theme choice;
    bool system_dark;
    bool dark;
  };
  const Case cases[] = {
      {Theme::Dark, false, true},  {Theme::Dark, true, true},     {Theme::Light, false, false},
      {Theme::Light, true, false}, {Theme::System, false, false}, {Theme::System, true, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(dark_for_choice(c.choice, c.system_dark), c.dark)
        << static_cast<int>(c.choice) << " system_dark=" << c.system_dark;
  }
}

TEST(ThemeRules, OnlyTheSystemChoiceFollowsWindowsAndOnlyOnARealChange) {
  struct Case {
    Theme choice;
    bool current;
    bool system_dark;
    std::optional<bool> expected;
  };
  const Case cases[] = {
      {Theme::System, false, true, true},
      {Theme::System, true, false, false},
      {Theme::System, true, true, std::nullopt},  // same mode: nothing to repaint
      {Theme::System, false, false, std::nullopt},
      {Theme::Light, false, true, std::nullopt},  // a fixed choice ignores Windows
      {Theme::Dark, true, false, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(dark_after_system_change(c.choice, c.current, c.system_dark), c.expected)
        << static_cast<int>(c.choice) << " current=" << c.current << " system=" << c.system_dark;
  }
}

TEST(DpiScale, RoundsHalfUpAtCommonScales) {
  struct Case {
    std::int32_t value;
    std::uint32_t dpi;
    std::int32_t expected;
  };
  const Case cases[] = {
      {12, 96, 12},    {12, 144, 18},   {26, 144, 39},         {26, 120, 33},  // 32.5 rounds up
      {34, 120, 43},   {1, 144, 2},     {1, 120, 1},           {0, 192, 0},
      {390, 144, 585}, {144, 144, 216}, {100000, 480, 500000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(scale_for_dpi(c.value, c.dpi), c.expected) << c.value << " at " << c.dpi;
  }
}

}  // namespace
