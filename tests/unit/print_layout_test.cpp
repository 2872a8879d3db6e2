// The arithmetic of printed pages: where the text and the labels go on real
// printer shapes, and which pages the walk prints and when it stops.

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

#include "print/page_loop.h"
#include "print/print_layout.h"

namespace {

// A 600 DPI A4 printer with a sixth of an inch it cannot print on each side.
constexpr PrinterMetrics a4_600{600, 600, 4760, 6816, 4960, 7016, 100, 100};

TEST(PageGeometry, MarginsBandsAndTwipsOnRealPrinterShapes) {
  struct Case {
    const char* what;
    PrinterMetrics printer;
    bool labels;
    EdgeRect text;
    EdgeRect title;
    EdgeRect page_number;
    EdgeRect text_twips;
    EdgeRect page_twips;
    std::int32_t font_height;
  };
  const Case cases[] = {
      // 20 mm is 472 pixels; the offset of 100 is taken off it; the band is 180.
      {"labels on",
       a4_600,
       true,
       {372, 552, 4388, 6264},
       {372, 372, 4388, 552},
       {372, 6354, 4388, 6444},
       {892, 1324, 10531, 15033},
       {0, 0, 11424, 16358},
       -75},
      {"labels off",
       a4_600,
       false,
       {372, 372, 4388, 6444},
       {372, 372, 4388, 552},
       {372, 6354, 4388, 6444},
       {892, 892, 10531, 15465},
       {0, 0, 11424, 16358},
       -75},
      // An inch it cannot print, wider than the margin: the text starts at
      // the printable edge and ends where the printable area does.
      {"wide border",
       {300, 300, 1950, 2700, 2550, 3300, 300, 300},
       false,
       {0, 0, 1950, 2700},
       {0, 0, 1950, 90},
       {0, 2655, 1950, 2700},
       {0, 0, 9360, 12960},
       {0, 0, 9360, 12960},
       -37},
      // Different resolutions across and down each get their own margin.
      {"600 x 300",
       {600, 300, 4960, 3508, 4960, 3508, 0, 0},
       true,
       {472, 326, 4488, 3182},
       {472, 236, 4488, 326},
       {472, 3227, 4488, 3272},
       {1132, 1564, 10771, 15273},
       {0, 0, 11904, 16838},
       -37},
  };
  for (const Case& c : cases) {
    const std::optional<PageGeometry> page = page_geometry(c.printer, c.labels);
    ASSERT_TRUE(page) << c.what;
    EXPECT_EQ(page->text, c.text) << c.what;
    EXPECT_EQ(page->title, c.title) << c.what;
    EXPECT_EQ(page->page_number, c.page_number) << c.what;
    EXPECT_EQ(page->text_twips, c.text_twips) << c.what;
    EXPECT_EQ(page->page_twips, c.page_twips) << c.what;
    EXPECT_EQ(page->label_font_height, c.font_height) << c.what;
  }
}

TEST(PageGeometry, WithoutRoomForTextThereIsNoPage) {
  constexpr std::int32_t big = std::numeric_limits<std::int32_t>::max();
  struct Case {
    const char* what;
    PrinterMetrics printer;
    bool labels;
    bool page;
  };
  const Case cases[] = {
      // 96 DPI: margins of 75, bands of 28. 150 wide leaves 75..75.
      {"too narrow", {96, 96, 150, 1000, 150, 1000, 0, 0}, false, false},
      // 206 high leaves 75..131: room for text, but not once two bands are kept.
      {"bands fill it", {96, 96, 800, 206, 800, 206, 0, 0}, true, false},
      {"no bands", {96, 96, 800, 206, 800, 206, 0, 0}, false, true},
      // A driver that reports nonsense: no crash, no division by zero.
      {"no resolution", {0, -5, 800, 800, 800, 800, 0, 0}, true, true},
      {"beyond 32 bits in twips", {96, 96, big, big, big, big, 0, 0}, false, false},
      {"offsets at the limits",
       {96, 96, 800, 800, 800, 800, std::numeric_limits<std::int32_t>::min(), big},
       true,
       false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(page_geometry(c.printer, c.labels).has_value(), c.page) << c.what;
  }
}

TEST(PrintPlan, TheDialogsChoiceBecomesARangeAndPageNumbers) {
  struct Case {
    const char* what;
    PrintRequest request;
    std::int64_t length;
    PrintPlan plan;
  };
  const Case cases[] = {
      {"all", {}, 500, {0, 500, 1, NO_LAST_PAGE}},
      {"pages", {PrintPart::Pages, 2, 3}, 500, {0, 500, 2, 3}},
      {"reversed pages", {PrintPart::Pages, 4, 2}, 500, {0, 500, 4, 4}},
      {"selection", {PrintPart::Selection, 1, 1, 120, 300}, 500, {120, 300, 1, NO_LAST_PAGE}},
      {"selection past the end", {PrintPart::Selection, 1, 1, 450, 900}, 500, {450, 500, 1, NO_LAST_PAGE}},
      {"reversed selection", {PrintPart::Selection, 1, 1, 300, 100}, 500, {300, 300, 1, NO_LAST_PAGE}},
      {"empty text", {}, 0, {0, 0, 1, NO_LAST_PAGE}},
  };
  for (const Case& c : cases) EXPECT_EQ(print_plan(c.request, c.length), c.plan) << c.what;
}

// Pages of `page_size` characters (0: a page that takes nothing); every call
// is written down.
class FakePrinter final : public PageDevice {
 public:
  FakePrinter(std::int64_t length, std::int64_t page_size) : length_(length), page_size_(page_size) {}
  std::int64_t measure(std::int64_t start) override {
    log += "m" + std::to_string(start) + " ";
    return next(start);
  }
  bool start_document() override {
    log += "doc ";
    return document_ok;
  }
  bool start_page() override { return pages_ok-- > 0; }
  std::int64_t print_page(std::int64_t start, std::uint32_t number) override {
    log += "p" + std::to_string(number) + "@" + std::to_string(start) + " ";
    return next(start);
  }
  void finish_document(std::uint32_t pages) override { log += "end" + std::to_string(pages); }

  bool document_ok = true;
  int pages_ok = 1000;
  std::string log;

 private:
  std::int64_t next(std::int64_t start) const { return std::min(start + page_size_, length_); }
  std::int64_t length_;
  std::int64_t page_size_;
};

TEST(PageLoop, PrintsTheWantedPagesAndStopsAtTheEnd) {
  struct Case {
    const char* what;
    PrintPlan plan;
    std::int64_t page_size;
    bool document_ok;
    int pages_ok;
    std::string log;
  };
  const Case cases[] = {
      {"five pages", {0, 500, 1, NO_LAST_PAGE}, 100, true, 1000, "doc p1@0 p2@100 p3@200 p4@300 p5@400 end5"},
      {"pages 2 to 3", {0, 500, 2, 3}, 100, true, 1000, "m0 doc p2@100 p3@200 end2"},
      {"last page only", {0, 500, 5, 9999}, 100, true, 1000, "m0 m100 m200 m300 doc p5@400 end1"},
      {"pages past the end", {0, 500, 6, 7}, 100, true, 1000, "m0 m100 m200 m300 m400 "},
      {"empty text", {0, 0, 1, NO_LAST_PAGE}, 100, true, 1000, "doc p1@0 end1"},
      {"selection", {250, 420, 1, NO_LAST_PAGE}, 100, true, 1000, "doc p1@250 p2@350 end2"},
      // A page that takes no text (a line taller than the page) ends the walk.
      {"stuck", {0, 500, 1, NO_LAST_PAGE}, 0, true, 1000, "doc p1@0 end1"},
      {"stuck before the range", {0, 500, 2, 3}, 0, true, 1000, "m0 "},
      {"document refused", {0, 500, 1, NO_LAST_PAGE}, 100, false, 1000, "doc "},
      {"second page refused", {0, 500, 1, NO_LAST_PAGE}, 100, true, 1, "doc p1@0 end1"},
      {"first page refused", {0, 500, 1, NO_LAST_PAGE}, 100, true, 0, "doc end0"},
  };
  for (const Case& c : cases) {
    FakePrinter printer(c.plan.end, c.page_size);
    printer.document_ok = c.document_ok;
    printer.pages_ok = c.pages_ok;
    run_page_loop(c.plan, printer);
    EXPECT_EQ(printer.log, c.log) << c.what;
  }
}

}  // namespace
