#pragma once
// Where a printed page's text and labels go, worked out from the printer's
// own numbers alone, so that every printer shape can be checked without one.

#include <cstdint>
#include <optional>

#include "editor/strip_layout.h"

// What GetDeviceCaps tells about a printer, in its pixels.
struct PrinterMetrics {
  std::int32_t dpi_x = 0;             // LOGPIXELSX
  std::int32_t dpi_y = 0;             // LOGPIXELSY
  std::int32_t printable_width = 0;   // HORZRES
  std::int32_t printable_height = 0;  // VERTRES
  std::int32_t paper_width = 0;       // PHYSICALWIDTH
  std::int32_t paper_height = 0;      // PHYSICALHEIGHT
  std::int32_t offset_x = 0;          // PHYSICALOFFSETX
  std::int32_t offset_y = 0;          // PHYSICALOFFSETY
};

// One page's layout. Pixel rectangles are relative to the printable area's
// corner, as the printer's DC draws; the twips pair is what Rich Edit's
// page formatting takes.
struct PageGeometry {
  EdgeRect text;         // between the margins, less the label bands
  EdgeRect title;        // the band above the text
  EdgeRect page_number;  // the band below it
  EdgeRect text_twips;
  EdgeRect page_twips;
  std::int32_t label_font_height = 0;  // 9 points, as CreateFontW takes it
  bool operator==(const PageGeometry&) const = default;
};

// 20 mm margins, taken from the paper's edge but never outside the printable
// area; with labels, a 0.3 inch band at top and bottom is kept from the
// text. Nothing when the text would get no room at all.
std::optional<PageGeometry> page_geometry(const PrinterMetrics& printer, bool labels);
