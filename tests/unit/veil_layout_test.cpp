#include "privacy/veil_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

// An editor described row by row: where each row starts in the text, how
// long it is, and where its first character and the character after its
// text are drawn.
struct Row {
  std::int64_t start;
  std::int64_t length;
  EdgePoint first;
  EdgePoint after;
};

class TableEditor final : public EditorLineMetrics {
 public:
  TableEditor(std::vector<Row> rows, std::int64_t first = 0) : rows_(std::move(rows)), first_(first) {
    for (const Row& row : rows_) {
      positions_[row.start] = row.first;
      positions_.emplace(row.start + row.length, row.after);
    }
  }
  std::int64_t first_visible_line() override { return first_; }
  std::int64_t line_count() override { return static_cast<std::int64_t>(rows_.size()); }
  std::int64_t line_index(std::int64_t line) override {
    highest_line_asked = std::max(highest_line_asked, line);
    return line < line_count() ? rows_[line].start : -1;
  }
  std::int64_t line_length(std::int64_t start) override {
    for (const Row& row : rows_) {
      if (row.start == start) return row.length;
    }
    return 0;
  }
  EdgePoint position_of(std::int64_t index) override { return positions_.at(index); }

  std::int64_t highest_line_asked = -1;

 private:
  std::vector<Row> rows_;
  std::int64_t first_;
  std::map<std::int64_t, EdgePoint> positions_;
};

// Rows 20 pixels apart in an editor 300 wide and 60 high.
std::vector<Row> sample_rows() {
  return {
      {0, 5, {4, 0}, {44, 0}},       // "hello"
      {6, 0, {4, 20}, {4, 20}},      // an empty line
      {7, 40, {4, 40}, {4, 60}},     // a long line: the next character is on the next row
      {47, 7, {4, 60}, {60, 60}},    // "    abc": indented, starts with blanks
      {55, 3, {4, 80}, {28, 80}},    // the first row below the editor
      {59, 3, {4, 100}, {28, 100}},  // never visited
  };
}

TEST(VeilLines, RecordsEveryVisibleRowAndOneBelow) {
  TableEditor editor(sample_rows());
  const std::vector<VeilLineRecord> records = collect_line_records(editor, {0, 0, 300, 60});
  const std::vector<VeilLineRecord> expected = {
      {0, 4, 44, true},  {20, 4, 4, false}, {40, 4, 300, true},  // a wrapped row reaches the right edge
      {60, 4, 60, true},  // the indentation is part of the row: it starts at the margin
      {80, 4, 28, true},
  };
  EXPECT_EQ(records, expected);
  EXPECT_EQ(editor.highest_line_asked, 4) << "rows further down are never asked for";
}

TEST(VeilLines, StartsAtTheFirstVisibleRowAndStopsAtTheLast) {
  TableEditor scrolled(sample_rows(), 3);
  const std::vector<VeilLineRecord> from_third = collect_line_records(scrolled, {0, 0, 300, 200});
  ASSERT_EQ(from_third.size(), 3u);
  EXPECT_EQ(from_third.front().y, 60);

  // An editor whose line index gives out before its count says so.
  class Shrinking final : public EditorLineMetrics {
   public:
    std::int64_t first_visible_line() override { return 0; }
    std::int64_t line_count() override { return 10; }
    std::int64_t line_index(std::int64_t line) override { return line < 2 ? line * 4 : -1; }
    std::int64_t line_length(std::int64_t) override { return 3; }
    EdgePoint position_of(std::int64_t index) override {
      return {static_cast<std::int32_t>(index % 4) * 8, static_cast<std::int32_t>(index / 4) * 20};
    }
  } shrinking;
  EXPECT_EQ(collect_line_records(shrinking, {0, 0, 300, 500}).size(), 2u);

  TableEditor empty({});
  EXPECT_TRUE(collect_line_records(empty, {0, 0, 300, 60}).empty());
}

TEST(VeilLines, AnEditorWithBrokenPositionsIsNotWalkedToItsEnd) {
  // Every character claims to sit at the top left corner: without a bound
  // this would ask about a billion lines.
  class Stuck final : public EditorLineMetrics {
   public:
    std::int64_t first_visible_line() override { return 0; }
    std::int64_t line_count() override { return 1'000'000'000; }
    std::int64_t line_index(std::int64_t line) override { return line * 10; }
    std::int64_t line_length(std::int64_t) override { return 9; }
    EdgePoint position_of(std::int64_t) override { return {0, 0}; }
  } stuck;
  EXPECT_LE(collect_line_records(stuck, {0, 0, 300, 60}).size(), 63u);
}

TEST(VeilBars, OneBarPerVisibleNonEmptyRowAcrossItsText) {
  const EdgeRect client{0, 0, 300, 100};
  const std::vector<VeilLineRecord> records = {
      {0, 4, 44, true},      {20, 4, 4, false},  // empty: no bar
      {40, 4, 300, true},                        // wrapped: to the right edge
      {60, -120, 80, true},                      // scrolled sideways: clipped at the left edge
      {80, -200, -10, true},                     // scrolled entirely out of view: no bar
      {100, 4, 50, true},                        // the row below the editor: no bar
  };
  const std::vector<EdgeRect> expected = {
      {4, 5, 44, 16},  // a quarter to four fifths down a 20-pixel row
      {4, 45, 300, 56},
      {0, 65, 80, 76},
  };
  EXPECT_EQ(veil_line_bars(records, client, 17, 0), expected);

  // A line longer than the editor is wide, not wrapped, stops at its edge.
  EXPECT_EQ(veil_line_bars({{0, 4, 900, true}, {20, 4, 8, true}}, client, 17, 0).front(), (EdgeRect{4, 5, 300, 16}));
}

TEST(VeilBars, PitchComesFromTheNeighbouringRows) {
  const EdgeRect client{0, 0, 300, 200};
  struct Case {
    const char* what;
    std::vector<VeilLineRecord> records;
    std::vector<EdgeRect> expected;
  };
  const Case cases[] = {
      {"each row measures to the next; the last to the one before",
       {{0, 0, 10, true}, {20, 0, 10, true}, {45, 0, 10, true}},
       {{0, 5, 10, 16}, {0, 26, 10, 40}, {0, 51, 10, 65}}},
      {"a single row takes the default pitch of 17", {{30, 0, 10, true}}, {{0, 34, 10, 43}}},
      {"an empty neighbour still sets the pitch", {{0, 0, 10, true}, {30, 0, 0, false}}, {{0, 7, 10, 24}}},
      {"a first row scrolled half out of view keeps its bar",
       {{-8, 0, 10, true}, {12, 0, 10, true}},
       {{0, -3, 10, 8}, {0, 17, 10, 28}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(veil_line_bars(c.records, client, 17, 0), c.expected) << c.what;
  }
}

TEST(VeilBars, BarsMoveDownWithTheEditor) {
  const std::vector<VeilLineRecord> records = {{0, 4, 44, true}, {20, -5, 60, true}};
  // Below a tab strip of 34 and a find bar of 64; only the height changes.
  EXPECT_EQ(veil_line_bars(records, {0, 0, 300, 100}, 17, 98),
            (std::vector<EdgeRect>{{4, 103, 44, 114}, {0, 123, 60, 134}}));
}

TEST(VeilBars, DefaultPitchIsAQuarterMoreThanTheZoomedFont) {
  struct Case {
    std::int32_t font_size, zoom;
    std::uint32_t dpi;
    std::int32_t pitch;
  };
  const Case cases[] = {
      {11, 100, 96, 17},   // 14 * 5 / 4
      {11, 100, 144, 27},  // 22 * 5 / 4
      {11, 150, 144, 41},  // 33 * 5 / 4
      {10, 100, 96, 16},   // 13 * 5 / 4
      {11, 10, 96, 1},     // 14 * 10 / 100 = 1
      {8, 20, 120, 2},     // 13 * 20 / 100 = 2
      {72, 500, 96, 600},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(default_line_pitch(c.font_size, c.zoom, c.dpi), c.pitch)
        << c.font_size << " pt at " << c.zoom << "% and " << c.dpi << " dpi";
  }
}

TEST(VeilLayoutBuild, TabsLikeTheStripAndLinesBelowIt) {
  VeilLayoutInput input;
  input.client_width = 1500;
  input.client_height = 900;
  input.dpi = 144;
  input.tab_count = 3;
  input.font_size = 11;
  input.zoom = 100;
  input.editor = VeilEditorView{{0, 0, 1500, 813}, 51, {{0, 6, 200, true}}};
  const VeilLayout layout = build_veil_layout(input);
  EXPECT_EQ(layout.tab_strip_height, 51);
  EXPECT_EQ(layout.tab_rects, (std::vector<EdgeRect>{{60, 0, 345, 51}, {345, 0, 630, 51}, {630, 0, 915, 51}}));
  // One row alone: the default pitch at 144 DPI is 27.
  EXPECT_EQ(layout.line_bars, (std::vector<EdgeRect>{{6, 51 + 6, 200, 51 + 21}}));

  // A window lower than the strip clips the band but not the tabs' own height.
  input.client_height = 30;
  input.editor.reset();
  const VeilLayout low = build_veil_layout(input);
  EXPECT_EQ(low.tab_strip_height, 30);
  EXPECT_EQ(low.tab_rects.front(), (EdgeRect{60, 0, 345, 51}));
  EXPECT_TRUE(low.line_bars.empty()) << "no active tab, no line bars";

  input.tab_count = 0;
  EXPECT_TRUE(build_veil_layout(input).tab_rects.empty());
}

TEST(VeilLayoutBuild, TabBarsHaveAFixedLengthThatFitsTheTab) {
  struct Case {
    EdgeRect tab;
    std::uint32_t dpi;
    std::optional<EdgeRect> bar;
  };
  const Case cases[] = {
      // 144 DPI: 12 pixels tall, at most 150 - 15 = 135 long.
      {{60, 0, 345, 51}, 144, EdgeRect{75, 19, 210, 31}},
      {{40, 0, 230, 34}, 96, EdgeRect{50, 13, 140, 21}},
      // A narrow tab keeps 15 pixels clear on its right.
      {{60, 0, 159, 51}, 144, EdgeRect{75, 19, 144, 31}},
      // Too narrow for any bar.
      {{60, 0, 90, 51}, 144, std::nullopt},
      {{60, 0, 60, 51}, 144, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(veil_tab_bar(c.tab, c.dpi), c.bar) << c.tab.left << ".." << c.tab.right << " at " << c.dpi;
  }
}

}  // namespace
