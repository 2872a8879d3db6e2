#pragma once
// Which pages of a text are printed, and the walk through them: pages
// before the first wanted one are laid out only to find where the next one
// starts, the wanted ones are printed, and the walk stops at the end of the
// text, at the last wanted page, or when a page takes no text at all.

#include <cstdint>
#include <limits>

#include "print/page_device.h"

// What the print dialog was answered with.
enum class PrintPart : std::uint8_t { All, Pages, Selection };

struct PrintRequest {
  PrintPart part = PrintPart::All;
  std::uint32_t from_page = 1;  // for Pages
  std::uint32_t to_page = 1;
  std::int64_t selection_start = 0;  // for Selection, in characters
  std::int64_t selection_end = 0;
};

inline constexpr std::uint32_t NO_LAST_PAGE = std::numeric_limits<std::uint32_t>::max();

// The characters to lay out and the page numbers to print among them.
// Page 1 is the page where `start` lies.
struct PrintPlan {
  std::int64_t start = 0;
  std::int64_t end = 0;
  std::uint32_t first_page = 1;
  std::uint32_t last_page = NO_LAST_PAGE;
  bool operator==(const PrintPlan&) const = default;
};

PrintPlan print_plan(const PrintRequest& request, std::int64_t text_length);

// Walks the plan's pages on `device`; how many pages were printed. No
// document is started when no page is wanted.
std::uint32_t run_page_loop(const PrintPlan& plan, PageDevice& device);
