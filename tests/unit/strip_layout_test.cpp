#include "editor/strip_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/tab_model.h"

namespace {

std::string describe(StripHit hit) {
  static const char* const names[] = {"None", "Menu", "Tab", "Close", "Plus"};
  return std::string(names[static_cast<int>(hit.part)]) + " " + std::to_string(hit.index);
}

TEST(StripLayout, TabsShareTheRoomUpToTheirFullWidth) {
  struct Case {
    std::int32_t width;
    std::uint32_t dpi;
    std::size_t count;
    std::int32_t tab_width;
    bool close_shown;
  };
  const Case cases[] = {
      {1000, 96, 4, 190, true},
      {1000, 96, 1, 190, true},
      {1000, 96, 20, 46, false},  // (1000 - 76) / 20
      // Close buttons need a tab of 70 pixels: 700 / 10 keeps them, 699 / 10 does not.
      {776, 96, 10, 70, true},
      {775, 96, 10, 69, false},
      // Narrower than the two buttons: the tabs have no width at all.
      {50, 96, 3, 0, false},
      {0, 96, 3, 0, false},
      {1000, 96, 0, 0, false},
      // 144 DPI: buttons of 60 and 54, tabs up to 285, close from 105.
      {1500, 144, 4, 285, true},
      {1500, 144, 13, 106, true},
      {1500, 144, 14, 99, false},
      // 120 DPI rounds half up: 190 -> 238 (237.5), 40 -> 50, 36 -> 45.
      {2000, 120, 2, 238, true},
      {1000, 120, 20, 45, false},  // (1000 - 95) / 20
  };
  for (const Case& c : cases) {
    const StripLayout layout = strip_layout(c.width, 34, c.dpi, c.count);
    EXPECT_EQ(layout.tab_width, c.tab_width) << c.width << " px, " << c.dpi << " dpi, " << c.count;
    EXPECT_EQ(layout.close_shown, c.close_shown) << c.width << " px, " << c.dpi << " dpi, " << c.count;
    // The tabs sit edge to edge between the two buttons.
    EXPECT_EQ(layout.tab(0).left, layout.menu.right);
    EXPECT_EQ(layout.plus.left, layout.tab(c.count).left);
    if (c.count > 0) {
      EXPECT_EQ(layout.plus.left, layout.tab(c.count - 1).right);
      EXPECT_LE(layout.plus.right, std::max(c.width, layout.menu.right + layout.plus.width()))
          << "the plus button must stay on the strip";
    }
  }
}

TEST(StripLayout, ButtonsSpanTheFullHeight) {
  const StripLayout high = strip_layout(1000, 51, 144, 2);
  EXPECT_EQ(high.menu, (EdgeRect{0, 0, 60, 51}));
  EXPECT_EQ(high.tab(1), (EdgeRect{345, 0, 630, 51}));
  EXPECT_EQ(high.plus, (EdgeRect{630, 0, 684, 51}));
}

TEST(StripLayout, HitTestUsesHalfOpenRectangles) {
  struct Case {
    std::int32_t width;
    std::size_t count;
    std::int32_t x, y;
    StripHit expected;
  };
  const StripHit none{};
  const Case cases[] = {
      // Four tabs of 190 from x = 40: tab 0 is [40, 230), its close button [202, 230).
      {1000, 4, 0, 0, {StripPart::Menu, 0}},
      {1000, 4, 39, 33, {StripPart::Menu, 0}},
      {1000, 4, 40, 0, {StripPart::Tab, 0}},
      {1000, 4, 201, 17, {StripPart::Tab, 0}},
      {1000, 4, 202, 17, {StripPart::Close, 0}},
      {1000, 4, 229, 17, {StripPart::Close, 0}},
      {1000, 4, 230, 17, {StripPart::Tab, 1}},
      {1000, 4, 799, 17, {StripPart::Close, 3}},
      {1000, 4, 800, 17, {StripPart::Plus, 0}},
      {1000, 4, 835, 17, {StripPart::Plus, 0}},
      {1000, 4, 836, 17, none},
      {1000, 4, 999, 17, none},
      // The bottom edge and anything above or left of the strip are outside.
      {1000, 4, 100, 34, none},
      {1000, 4, 100, -1, none},
      {1000, 4, 20, 34, none},
      {1000, 4, -1, 10, none},
      // Without tabs the plus button follows the menu button.
      {1000, 0, 40, 10, {StripPart::Plus, 0}},
      {1000, 0, 75, 10, {StripPart::Plus, 0}},
      {1000, 0, 76, 10, none},
      // Twenty tabs of 46 have no close buttons: their right end is the tab.
      {1000, 20, 40 + 46 - 1, 10, {StripPart::Tab, 0}},
      {1000, 20, 40 + 19 * 46 + 45, 10, {StripPart::Tab, 19}},
      {1000, 20, 40 + 20 * 46, 10, {StripPart::Plus, 0}},
      // Tabs without width cannot be hit; the plus button sits on them.
      {60, 3, 40, 10, {StripPart::Plus, 0}},
      {60, 3, 39, 10, {StripPart::Menu, 0}},
  };
  for (const Case& c : cases) {
    const StripLayout layout = strip_layout(c.width, 34, 96, c.count);
    EXPECT_EQ(describe(strip_hit_test(layout, c.x, c.y)), describe(c.expected))
        << c.count << " tabs in " << c.width << " px at (" << c.x << ", " << c.y << ")";
  }
}

TEST(StripLayout, EveryPixelOfTheStripBelongsToExactlyOnePart) {
  // Walks a row of pixels at several sizes and DPIs and checks that each
  // one is claimed by the part whose rectangle holds it, and by no other.
  for (const std::uint32_t dpi : {96u, 120u, 144u, 192u}) {
    for (const std::size_t count : {0u, 1u, 3u, 7u, 25u}) {
      const std::int32_t width = 1237;
      const StripLayout layout = strip_layout(width, 40, dpi, count);
      for (std::int32_t x = -2; x < width + 2; ++x) {
        const StripHit hit = strip_hit_test(layout, x, 20);
        int owners = layout.menu.contains(x, 20) + layout.plus.contains(x, 20);
        for (std::size_t i = 0; i < count; ++i) owners += layout.tab(i).contains(x, 20);
        ASSERT_LE(owners, 1) << "overlap at x " << x << ", dpi " << dpi << ", " << count << " tabs";
        ASSERT_EQ(hit.part == StripPart::None, owners == 0) << "x " << x << ", dpi " << dpi;
        if (hit.part == StripPart::Tab || hit.part == StripPart::Close) {
          ASSERT_LT(hit.index, count);
          ASSERT_TRUE(layout.tab(hit.index).contains(x, 20));
          ASSERT_EQ(hit.part == StripPart::Close, layout.close_shown && layout.close_area(hit.index).contains(x, 20));
        }
      }
    }
  }
}

TEST(StripLayout, DragTargetIsTheFirstTabEndingRightOfTheMouse) {
  struct Case {
    std::int32_t width;
    std::size_t count;
    std::int32_t x;
    std::size_t target;
  };
  const Case cases[] = {
      {1000, 4, -300, 0},  // dragged far off to the left
      {1000, 4, 10, 0},    // over the menu button
      {1000, 4, 229, 0},
      {1000, 4, 230, 1},  // a tab's right edge belongs to the next one
      {1000, 4, 419, 1},
      {1000, 4, 420, 2},
      {1000, 4, 799, 3},
      {1000, 4, 800, 3},  // past the last tab: the last tab
      {1000, 4, 30000, 3},
      {1000, 1, 500, 0},
      // Tabs without width: left of their common edge the first, else the last.
      {60, 3, 39, 0},
      {60, 3, 40, 2},
  };
  for (const Case& c : cases) {
    const StripLayout layout = strip_layout(c.width, 34, 96, c.count);
    EXPECT_EQ(drag_target(layout, c.x), c.target) << c.count << " tabs, x " << c.x;
  }
  EXPECT_EQ(drag_target(strip_layout(1000, 34, 96, 0), 100), std::nullopt);
}

// A strip of named documents that applies the moves a drag asks for, the
// way the tab list does.
struct Documents {
  std::vector<std::string> names;
  std::size_t active = 0;

  void apply(const std::optional<TabMove>& move) {
    if (!move) return;
    move_element(names, move->from, move->to);
    active = active_after_move(active, move->from, move->to);
  }
  std::string active_name() const { return names[active]; }
};

constexpr std::int32_t DRAG_DISTANCE = 4;

TEST(StripDrag, AClickThatWobblesDoesNotReorder) {
  const StripLayout layout = strip_layout(1000, 34, 96, 4);
  StripMouse mouse;
  mouse.press(1, 300);
  bool hover_changed = true;
  for (const std::int32_t x : {300, 304, 296, 302}) {
    EXPECT_EQ(mouse.drag_to(layout, x, DRAG_DISTANCE, hover_changed), std::nullopt);
    EXPECT_FALSE(hover_changed);
    EXPECT_EQ(mouse.drag_state, DragState::Pressed);
  }
  // Past the drag distance but still over the same tab: a drag, no move yet.
  EXPECT_EQ(mouse.drag_to(layout, 305, DRAG_DISTANCE, hover_changed), std::nullopt);
  EXPECT_EQ(mouse.drag_state, DragState::Dragging);
  EXPECT_EQ((StripHit{mouse.hover_part, mouse.hover_index}), (StripHit{StripPart::Tab, 1}));
  // Once dragging, coming back near the press point is still a drag.
  EXPECT_EQ(mouse.drag_to(layout, 229, DRAG_DISTANCE, hover_changed), (TabMove{1, 0}));
  EXPECT_EQ(mouse.drag_index, 0u);
}

TEST(StripDrag, TheActiveDocumentStaysActiveWhateverIsDragged) {
  struct Case {
    const char* what;
    std::size_t active;
    std::size_t pressed;
    std::int32_t press_x;
    std::vector<std::int32_t> moves;
    std::vector<std::string> order;
    std::string active_name;
  };
  // Four tabs of 190 from x = 40; right edges at 230, 420, 610, 800.
  const Case cases[] = {
      {"the active third tab over the first tab's right edge", 2, 2, 500, {400, 229}, {"c", "a", "b", "d"}, "c"},
      {"an inactive tab dragged across the active one", 1, 0, 100, {300, 500}, {"b", "c", "a", "d"}, "b"},
      {"an inactive tab dragged back across the active one", 1, 3, 700, {500, 100}, {"d", "a", "b", "c"}, "b"},
      {"one fast jump from the first to the last place", 0, 0, 100, {900}, {"b", "c", "d", "a"}, "a"},
      {"there and back again", 2, 1, 300, {700, 100, 300}, {"a", "b", "c", "d"}, "c"},
  };
  for (const Case& c : cases) {
    const StripLayout layout = strip_layout(1000, 34, 96, 4);
    Documents docs{{"a", "b", "c", "d"}, c.active};
    const std::string dragged = docs.names[c.pressed];
    StripMouse mouse;
    mouse.press(c.pressed, c.press_x);
    bool hover_changed = false;
    for (const std::int32_t x : c.moves) docs.apply(mouse.drag_to(layout, x, DRAG_DISTANCE, hover_changed));
    EXPECT_EQ(docs.names, c.order) << c.what;
    EXPECT_EQ(docs.active_name(), c.active_name) << c.what;
    // The dragged document ends under the mouse, and the hover is on it.
    EXPECT_EQ(docs.names[drag_target(layout, c.moves.back()).value()], dragged) << c.what;
    EXPECT_EQ(docs.names[mouse.drag_index], dragged) << c.what;
    EXPECT_EQ(mouse.hover_index, mouse.drag_index) << c.what;
  }
}

TEST(StripHover, RepaintsOnlyWhenTheLookChanges) {
  StripMouse mouse;
  EXPECT_FALSE(mouse.leave()) << "nothing hovered yet";
  EXPECT_TRUE(mouse.set_hover({StripPart::Tab, 1}));
  EXPECT_FALSE(mouse.set_hover({StripPart::Tab, 1}));
  EXPECT_TRUE(mouse.set_hover({StripPart::Tab, 2})) << "another tab";
  EXPECT_TRUE(mouse.set_hover({StripPart::Close, 2})) << "the same tab's close button";
  EXPECT_TRUE(mouse.set_hover({StripPart::Plus, 0}));
  EXPECT_FALSE(mouse.set_hover({StripPart::Plus, 0}));
  EXPECT_TRUE(mouse.leave());
  EXPECT_FALSE(mouse.leave());
}

TEST(StripPaint, TabPiecesAtNinetySixDpi) {
  const StripLayout layout = strip_layout(1000, 34, 96, 4);
  const TabPaintGeometry clean = tab_paint_geometry(layout, 0, false, 96);
  EXPECT_EQ(clean.title, (EdgeRect{50, 0, 202, 34}));
  EXPECT_FALSE(clean.dot);
  ASSERT_TRUE(clean.has_close);
  EXPECT_EQ(clean.close_hover, (EdgeRect{204, 5, 225, 29}));
  EXPECT_EQ(clean.cross_a_from, (EdgePoint{210, 13}));
  EXPECT_EQ(clean.cross_a_to, (EdgePoint{219, 22}));
  EXPECT_EQ(clean.cross_b_from, (EdgePoint{210, 21}));
  EXPECT_EQ(clean.cross_b_to, (EdgePoint{219, 12}));

  const TabPaintGeometry dirty = tab_paint_geometry(layout, 1, true, 96);
  ASSERT_TRUE(dirty.dot);
  EXPECT_EQ(*dirty.dot, (EdgeRect{240, 14, 246, 20}));
  EXPECT_EQ(dirty.title, (EdgeRect{252, 0, 392, 34})) << "the title makes room for the marker";

  // Without close buttons the title runs to 4 pixels before the edge.
  const StripLayout many = strip_layout(1000, 34, 96, 20);
  const TabPaintGeometry narrow = tab_paint_geometry(many, 0, false, 96);
  EXPECT_FALSE(narrow.has_close);
  EXPECT_EQ(narrow.title, (EdgeRect{50, 0, 82, 34}));

  const ButtonGlyphs glyphs = button_glyphs(strip_layout(1000, 34, 96, 0), 96);
  EXPECT_EQ(glyphs.menu[0], (StripLine{{12, 12}, {28, 12}}));
  EXPECT_EQ(glyphs.menu[2], (StripLine{{12, 22}, {28, 22}}));
  // The plus sits on the button right after the menu button.
  EXPECT_EQ(glyphs.plus[0], (StripLine{{53, 17}, {64, 17}}));
  EXPECT_EQ(glyphs.plus[1], (StripLine{{58, 12}, {58, 23}}));
}

TEST(StripPaint, PiecesStayInsideTheirTabAtAnyDpi) {
  for (const std::uint32_t dpi : {96u, 120u, 144u, 168u, 192u, 288u}) {
    for (const std::size_t count : {1u, 4u, 9u, 15u}) {
      const std::int32_t height = (34 * static_cast<std::int32_t>(dpi) + 48) / 96;
      const StripLayout layout = strip_layout(1600, height, dpi, count);
      for (std::size_t i = 0; i < count; ++i) {
        const EdgeRect tab = layout.tab(i);
        const TabPaintGeometry g = tab_paint_geometry(layout, i, true, dpi);
        const std::string where =
            std::to_string(dpi) + " dpi, tab " + std::to_string(i) + " of " + std::to_string(count);
        EXPECT_GE(g.dot->left, tab.left) << where;
        if (!layout.close_shown) continue;
        // Title, close highlight and cross never touch each other or leave the tab.
        const EdgeRect close = layout.close_area(i);
        EXPECT_LE(g.title.right, close.left) << where;
        EXPECT_GE(g.close_hover.left, close.left) << where;
        EXPECT_LE(g.close_hover.right, tab.right) << where;
        EXPECT_GE(g.close_hover.top, tab.top) << where;
        EXPECT_LE(g.close_hover.bottom, tab.bottom) << where;
        for (const EdgePoint p : {g.cross_a_from, g.cross_b_from}) {
          EXPECT_TRUE(g.close_hover.contains(p.x, p.y)) << where;
        }
        // Line ends are not drawn: the last pixel of each stroke is one short.
        EXPECT_TRUE(g.close_hover.contains(g.cross_a_to.x - 1, g.cross_a_to.y - 1)) << where;
        EXPECT_TRUE(g.close_hover.contains(g.cross_b_to.x - 1, g.cross_b_to.y + 1)) << where;
      }
    }
  }
  EXPECT_EQ(strip_pen_width(96), 1);
  EXPECT_EQ(strip_pen_width(144), 2);
  EXPECT_EQ(strip_pen_width(1), 1) << "a pen never vanishes";
}

}  // namespace
