// The tab strip's geometry and mouse rules, kept apart from the window so
// that they can be checked on any machine: at which width close buttons
// disappear, which pixel belongs to which part, and where a dragged tab
// lands are easy to get wrong by one pixel and tedious to see on screen.

#include "editor/strip_layout.h"

#include <algorithm>
#include <cstdlib>

#include "ui/dpi.h"

namespace {

constexpr std::int32_t MENU_WIDTH = 40;
constexpr std::int32_t PLUS_WIDTH = 36;
constexpr std::int32_t TAB_MAX_WIDTH = 190;
constexpr std::int32_t CLOSE_WIDTH = 28;
constexpr std::int32_t CLOSE_MIN_TAB_WIDTH = 70;

std::int32_t tab_x(const StripLayout& layout, std::size_t index) {
  // count * tab_width never exceeds the client width, so any index up to the
  // count stays in range.
  return layout.tab_left + static_cast<std::int32_t>(index) * layout.tab_width;
}

}  // namespace

EdgeRect StripLayout::tab(std::size_t index) const { return {tab_x(*this, index), 0, tab_x(*this, index + 1), height}; }

EdgeRect StripLayout::close_area(std::size_t index) const {
  const EdgeRect t = tab(index);
  return {t.right - close_width, 0, t.right, height};
}

StripLayout strip_layout(std::int32_t width, std::int32_t height, std::uint32_t dpi, std::size_t count) {
  StripLayout layout;
  layout.height = std::max(height, 0);
  layout.count = count;
  layout.tab_left = scale_for_dpi(MENU_WIDTH, dpi);
  layout.close_width = scale_for_dpi(CLOSE_WIDTH, dpi);
  layout.menu = {0, 0, layout.tab_left, layout.height};
  if (count > 0) {
    const std::int64_t room =
        std::max<std::int64_t>(std::int64_t{width} - scale_for_dpi(PLUS_WIDTH, dpi) - layout.tab_left, 0);
    const std::int64_t share = room / static_cast<std::int64_t>(count);
    layout.tab_width = static_cast<std::int32_t>(std::min<std::int64_t>(scale_for_dpi(TAB_MAX_WIDTH, dpi), share));
  }
  layout.close_shown = count > 0 && layout.tab_width >= scale_for_dpi(CLOSE_MIN_TAB_WIDTH, dpi);
  const std::int32_t plus_left = tab_x(layout, count);
  layout.plus = {plus_left, 0, plus_left + scale_for_dpi(PLUS_WIDTH, dpi), layout.height};
  return layout;
}

StripHit strip_hit_test(const StripLayout& layout, std::int32_t x, std::int32_t y) {
  if (layout.menu.contains(x, y)) return {StripPart::Menu, 0};
  if (layout.plus.contains(x, y)) return {StripPart::Plus, 0};
  if (layout.tab_width <= 0 || y < 0 || y >= layout.height || x < layout.tab_left) return {};
  const std::size_t index = static_cast<std::size_t>((x - layout.tab_left) / layout.tab_width);
  if (index >= layout.count) return {};
  if (layout.close_shown && x >= layout.tab(index).right - layout.close_width) {
    return {StripPart::Close, index};
  }
  return {StripPart::Tab, index};
}

std::optional<std::size_t> drag_target(const StripLayout& layout, std::int32_t x) {
  if (layout.count == 0) return std::nullopt;
  const std::size_t last = layout.count - 1;
  if (layout.tab_width <= 0) return x < layout.tab_left ? 0 : last;
  if (x < layout.tab_left + layout.tab_width) return 0;
  const auto index = static_cast<std::size_t>((std::int64_t{x} - layout.tab_left) / layout.tab_width);
  return std::min(index, last);
}

bool StripMouse::set_hover(StripHit hit) {
  const bool indexed = hit.part == StripPart::Tab || hit.part == StripPart::Close;
  const bool changed = hit.part != hover_part || (indexed && hit.index != hover_index);
  hover_part = hit.part;
  hover_index = hit.index;
  return changed;
}

bool StripMouse::leave() {
  const bool was = hover_part != StripPart::None;
  hover_part = StripPart::None;
  return was;
}

void StripMouse::press(std::size_t index, std::int32_t x) {
  drag_index = index;
  drag_x = x;
  drag_state = DragState::Pressed;
}

std::optional<TabMove> StripMouse::drag_to(const StripLayout& layout, std::int32_t x, std::int32_t drag_distance,
                                           bool& hover_changed) {
  hover_changed = false;
  if (drag_state == DragState::Idle) return std::nullopt;
  // A click wobbles; only a real pull counts as a drag, and once it has,
  // moving back near the press point no longer turns it into a click.
  if (drag_state == DragState::Pressed && std::llabs(std::int64_t{x} - drag_x) <= std::int64_t{drag_distance}) {
    return std::nullopt;
  }
  const std::optional<std::size_t> target = drag_target(layout, x);
  if (!target) return std::nullopt;
  std::optional<TabMove> move;
  if (*target != drag_index) move = TabMove{drag_index, *target};
  drag_index = *target;
  drag_state = DragState::Dragging;
  hover_changed = set_hover({StripPart::Tab, *target});
  return move;
}

TabPaintGeometry tab_paint_geometry(const StripLayout& layout, std::size_t index, bool dirty, std::uint32_t dpi) {
  const auto S = [dpi](std::int32_t value) { return scale_for_dpi(value, dpi); };
  const EdgeRect tab = layout.tab(index);
  const std::int32_t mid = (tab.top + tab.bottom) / 2;
  TabPaintGeometry g;
  g.title = {tab.left + S(10), tab.top, tab.right - (layout.close_shown ? S(28) : S(4)), tab.bottom};
  if (dirty) {
    g.dot = EdgeRect{g.title.left, mid - S(3), g.title.left + 2 * S(3), mid + S(3)};
    g.title.left += S(6) + 2 * S(3);
  }
  if (layout.close_shown) {
    g.has_close = true;
    const std::int32_t xr = tab.right - S(28);
    g.close_hover = {xr + S(5) / 2, tab.top + S(5), tab.right - S(5), tab.bottom - S(5)};
    const std::int32_t cx = (xr + tab.right) / 2 - S(2);
    const std::int32_t a = S(4);
    g.cross_a_from = {cx - a, mid - a};
    g.cross_a_to = {cx + a + 1, mid + a + 1};
    g.cross_b_from = {cx - a, mid + a};
    g.cross_b_to = {cx + a + 1, mid - a - 1};
  }
  return g;
}

ButtonGlyphs button_glyphs(const StripLayout& layout, std::uint32_t dpi) {
  const auto S = [dpi](std::int32_t value) { return scale_for_dpi(value, dpi); };
  const std::int32_t cy = layout.height / 2;
  const std::int32_t mx = (layout.menu.left + layout.menu.right) / 2;
  const std::int32_t px = (layout.plus.left + layout.plus.right) / 2;
  ButtonGlyphs glyphs;
  for (int row = 0; row < 3; ++row) {
    const std::int32_t y = cy + (row - 1) * S(5);
    glyphs.menu[row] = {{mx - S(8), y}, {mx + S(8), y}};
  }
  glyphs.plus[0] = {{px - S(5), cy}, {px + S(5) + 1, cy}};
  glyphs.plus[1] = {{px, cy - S(5)}, {px, cy + S(5) + 1}};
  return glyphs;
}

std::int32_t strip_pen_width(std::uint32_t dpi) { return std::max(scale_for_dpi(1, dpi), 1); }
