#pragma once
// Laying a text out on printed pages with a hidden Rich Edit control, so
// that lines wrap and break as the editor breaks them. Any device context
// can take the pages: the printer's, or a metafile per page.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "base/result.h"
#include "editor/page_loop.h"
#include "editor/print_layout.h"

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

struct PrintJob {
  std::string_view title;  // UTF-8, shown at the top of each page with labels on
  bool labels = false;
  std::string_view text;  // UTF-8
  HFONT font = nullptr;   // the editor font
};

// Prints the part of `job.text` that `request` names on `target`, laid out
// for `printer`; how many pages were printed (none, silently, when the paper
// leaves no room). Fails, before any document is started, when the text
// cannot be laid out. The layout control is a hidden child of `owner` for as
// long as this runs.
[[nodiscard]] Result<std::uint32_t> print_pages(HWND owner, const PrintJob& job, const PrintRequest& request,
                                                const PrinterMetrics& printer, PrintTarget& target);
