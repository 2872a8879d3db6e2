#pragma once
// What the page walk drives: the layout that measures a page, and the
// device that prints it.

#include <cstdint>

// The printer and the page layout behind the walk.
class PageDevice {
 public:
  virtual ~PageDevice() = default;
  // Lays out the page starting at `start` without drawing it; where the next
  // page would start.
  virtual std::int64_t measure(std::int64_t start) = 0;
  virtual bool start_document() = 0;
  virtual bool start_page() = 0;
  // Draws page `number` starting at `start` and ends the page; where the
  // next page starts.
  virtual std::int64_t print_page(std::int64_t start, std::uint32_t number) = 0;
  // Called once after a started document, however the walk ended.
  virtual void finish_document(std::uint32_t pages_printed) = 0;
};
