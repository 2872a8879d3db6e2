#pragma once
// Where printed pages go: the printer of the print dialog, or anything else
// that hands out a device context per page.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "print/print_layout.h"

// Where the pages go. `reference` is the device the text is laid out for;
// `start_page` gives the context to draw the page on, null when the page
// could not be started.
class PrintTarget {
 public:
  virtual ~PrintTarget() = default;
  virtual HDC reference() = 0;
  virtual bool start_document(std::wstring_view title) = 0;
  virtual HDC start_page() = 0;
  virtual void end_page() = 0;
  // Once after a started document; `pages` may be 0 when none could start.
  virtual void end_document(std::uint32_t pages) = 0;
};

// The printer behind a DC from the print dialog.
class PrinterTarget final : public PrintTarget {
 public:
  explicit PrinterTarget(HDC printer) : printer_(printer) {}
  HDC reference() override { return printer_; }
  bool start_document(std::wstring_view title) override;
  HDC start_page() override;
  void end_page() override;
  void end_document(std::uint32_t pages) override;

 private:
  HDC printer_;
  std::wstring title_;
};

PrinterMetrics printer_metrics(HDC printer);
