// The page walk of printing, free of GDI so that its stopping rules can be
// checked against any made-up printer: those rules are what keeps a text
// that does not advance (a line taller than the page) from printing forever.

#include "print/page_loop.h"

#include <algorithm>

PrintPlan print_plan(const PrintRequest& request, std::int64_t text_length) {
  const std::int64_t length = std::max<std::int64_t>(0, text_length);
  switch (request.part) {
    case PrintPart::Pages: {
      const std::uint32_t from = std::max<std::uint32_t>(1, request.from_page);
      return {0, length, from, std::max(from, request.to_page)};
    }
    case PrintPart::Selection: {
      const std::int64_t start = std::clamp<std::int64_t>(request.selection_start, 0, length);
      const std::int64_t end = std::clamp<std::int64_t>(request.selection_end, start, length);
      return {start, end, 1, NO_LAST_PAGE};
    }
    case PrintPart::All:
      break;
  }
  return {0, length, 1, NO_LAST_PAGE};
}

std::uint32_t run_page_loop(const PrintPlan& plan, PageDevice& device) {
  std::int64_t start = plan.start;
  std::uint32_t printed = 0;
  bool started = false;
  for (std::uint32_t number = 1;; ++number) {
    if (number < plan.first_page) {
      const std::int64_t next = device.measure(start);
      // A page that takes nothing would be measured again and again.
      if (next >= plan.end || next <= start) break;
      start = next;
      continue;
    }
    if (!started) {
      if (!device.start_document()) return 0;
      started = true;
    }
    if (!device.start_page()) break;
    const std::int64_t next = device.print_page(start, number);
    ++printed;
    if (next >= plan.end || next <= start || number >= plan.last_page) break;
    start = next;
  }
  if (started) device.finish_document(printed);
  return printed;
}
