#pragma once
// The two palettes as plain colour values. The Win32 layer turns these into
// COLORREFs and brushes once; keeping the numbers here lets them be checked
// (and their contrast judged) without a window system.

#include <cstdint>

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  bool operator==(const Rgb&) const = default;
};

// Field for field the same order as ThemeColors: first the colours of the
// five brushes, then the five plain colours.
struct PaletteValues {
  Rgb window_brush;
  Rgb edit_brush;
  Rgb tab_brush;
  Rgb button_brush;
  Rgb border_brush;
  Rgb window_color;
  Rgb text_color;
  Rgb dim_color;
  Rgb link_color;
  Rgb edit_color;
};

const PaletteValues& palette_values(bool dark);
