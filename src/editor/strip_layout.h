#pragma once
// Where the tab strip's parts sit and what the mouse is over, as plain
// arithmetic over the strip's size, DPI and tab count, so that the window
// code only gathers numbers and paints what comes back.

#include <cstddef>
#include <cstdint>
#include <optional>

// A rectangle in client pixels by its four edges, as a RECT holds it.
// Half-open: left and top are inside, right and bottom are not, as GDI fills
// and Windows hit tests treat a RECT.
struct EdgeRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  bool contains(std::int32_t x, std::int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool empty() const { return right <= left || bottom <= top; }
  std::int32_t width() const { return right - left; }
  std::int32_t height() const { return bottom - top; }
  bool operator==(const EdgeRect&) const = default;
};

struct EdgePoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const EdgePoint&) const = default;
};

// The strip's height at 96 DPI. The veil paints a likeness of the strip,
// and the frame puts the editor below it: all three use this one number.
inline constexpr std::int32_t TAB_STRIP_HEIGHT = 34;

enum class StripPart : std::uint8_t { None = 0, Menu = 1, Tab = 2, Close = 3, Plus = 4 };

// What the hit test found; `index` means something only for Tab and Close.
struct StripHit {
  StripPart part = StripPart::None;
  std::size_t index = 0;
  bool operator==(const StripHit&) const = default;
};

struct StripLayout {
  std::int32_t height = 0;
  std::size_t count = 0;
  std::int32_t tab_left = 0;     // left edge of the first tab: the menu button's width
  std::int32_t tab_width = 0;    // every tab is this wide; 0 without tabs
  std::int32_t close_width = 0;  // measured from a tab's right edge
  bool close_shown = false;
  EdgeRect menu;
  EdgeRect plus;

  EdgeRect tab(std::size_t index) const;
  // The close button's area of a tab (meaningful when close_shown).
  EdgeRect close_area(std::size_t index) const;
};

// The strip laid out for a client of width x height pixels at `dpi` holding
// `count` tabs. Tabs share what the two buttons leave, up to their full
// width; they only ever get narrower, never scroll.
StripLayout strip_layout(std::int32_t width, std::int32_t height, std::uint32_t dpi, std::size_t count);

StripHit strip_hit_test(const StripLayout& layout, std::int32_t x, std::int32_t y);

// Where a dragged tab lands for a mouse at client x: the first tab whose
// right edge lies right of x, else the last tab. Empty without tabs.
std::optional<std::size_t> drag_target(const StripLayout& layout, std::int32_t x);

// Where a left-button drag on a tab stands: pressed but not yet pulled far
// enough, moving the tab, or nothing going on.
enum class DragState : std::uint8_t { Pressed = 0, Dragging = 1, Idle = 2 };

struct TabMove {
  std::size_t from = 0;
  std::size_t to = 0;
  bool operator==(const TabMove&) const = default;
};

// The strip's mouse state: what is hovered and how a drag stands.
struct StripMouse {
  StripPart hover_part = StripPart::None;
  std::size_t hover_index = 0;
  DragState drag_state = DragState::Idle;
  std::size_t drag_index = 0;
  std::int32_t drag_x = 0;

  // Records what is under the mouse; true when the strip looks different
  // because of it.
  bool set_hover(StripHit hit);
  // The mouse left the strip; true when a hover has to be painted away.
  bool leave();

  // The left button went down on tab `index` at client x.
  void press(std::size_t index, std::int32_t x);

  // The mouse moved to client x with the button still down. Past the system's
  // drag distance the press becomes a drag; the tab under the mouse then
  // takes the dragged tab's place. Returns the move for the caller to apply to
  // the tab list, if there is one. `hover_changed` tells whether the hover
  // moved along.
  std::optional<TabMove> drag_to(const StripLayout& layout, std::int32_t x, std::int32_t drag_distance,
                                 bool& hover_changed);

  void end_drag() { drag_state = DragState::Idle; }
};

// Where each piece of a tab is painted, for one tab of a layout.
struct TabPaintGeometry {
  EdgeRect title;                                                // the title text; empty on a very narrow tab
  std::optional<EdgeRect> dot;                                   // the modified marker's bounding box
  bool has_close = false;                                        // close buttons are shown; the fields below apply
  EdgeRect close_hover;                                          // the face behind a hovered close button
  EdgePoint cross_a_from, cross_a_to, cross_b_from, cross_b_to;  // its two strokes
};

TabPaintGeometry tab_paint_geometry(const StripLayout& layout, std::size_t index, bool dirty, std::uint32_t dpi);

// The three lines of the menu button and the two of the plus, each as a
// line from `from` to `to` (the end point itself not drawn, as with LineTo).
struct StripLine {
  EdgePoint from;
  EdgePoint to;
  bool operator==(const StripLine&) const = default;
};
struct ButtonGlyphs {
  StripLine menu[3];
  StripLine plus[2];
};
ButtonGlyphs button_glyphs(const StripLayout& layout, std::uint32_t dpi);

// The width of the strip's pens: one scaled pixel, never less than one.
std::int32_t strip_pen_width(std::uint32_t dpi);
