// The page arithmetic of printing. Printer drivers report whatever they
// like, so every step is done in 64 bits and a page that cannot be
// described in the 32-bit numbers GDI and Rich Edit take is no page.

#include "print/print_layout.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::int64_t twips_per_inch = 1440;

bool fits(std::int64_t value) {
  return value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max();
}

struct Edges {
  std::int64_t left, top, right, bottom;
};

std::optional<EdgeRect> narrow(const Edges& e) {
  if (!fits(e.left) || !fits(e.top) || !fits(e.right) || !fits(e.bottom)) return std::nullopt;
  return EdgeRect{static_cast<std::int32_t>(e.left), static_cast<std::int32_t>(e.top),
                  static_cast<std::int32_t>(e.right), static_cast<std::int32_t>(e.bottom)};
}

Edges in_twips(const Edges& e, std::int64_t dx, std::int64_t dy) {
  return {e.left * twips_per_inch / dx, e.top * twips_per_inch / dy, e.right * twips_per_inch / dx,
          e.bottom * twips_per_inch / dy};
}

}  // namespace

std::optional<PageGeometry> page_geometry(const PrinterMetrics& printer, bool labels) {
  const std::int64_t dx = std::max<std::int64_t>(1, printer.dpi_x);
  const std::int64_t dy = std::max<std::int64_t>(1, printer.dpi_y);
  // 20 mm is 200/254 of an inch.
  const std::int64_t margin_x = dx * 200 / 254;
  const std::int64_t margin_y = dy * 200 / 254;
  const std::int64_t left = std::max<std::int64_t>(0, margin_x - printer.offset_x);
  const std::int64_t top = std::max<std::int64_t>(0, margin_y - printer.offset_y);
  const std::int64_t right =
      std::min<std::int64_t>(printer.printable_width, std::int64_t{printer.paper_width} - printer.offset_x - margin_x);
  const std::int64_t bottom = std::min<std::int64_t>(printer.printable_height,
                                                     std::int64_t{printer.paper_height} - margin_y - printer.offset_y);
  const std::int64_t band = labels ? dy * 3 / 10 : 0;
  if (!(left < right && top + band < bottom - band)) return std::nullopt;

  const Edges text{left, top + band, right, bottom - band};
  const std::optional<EdgeRect> text_px = narrow(text);
  const std::optional<EdgeRect> title = narrow({left, top, right, top + dy * 3 / 10});
  const std::optional<EdgeRect> number = narrow({left, bottom - dy * 3 / 20, right, bottom});
  const std::optional<EdgeRect> text_twips = narrow(in_twips(text, dx, dy));
  const std::optional<EdgeRect> page_twips =
      narrow(in_twips({0, 0, printer.printable_width, printer.printable_height}, dx, dy));
  const std::int64_t font_height = -(dy * 9 / 72);
  if (!text_px || !title || !number || !text_twips || !page_twips || !fits(font_height)) return std::nullopt;
  return PageGeometry{*text_px, *title, *number, *text_twips, *page_twips, static_cast<std::int32_t>(font_height)};
}
