#pragma once
// Laying a text out on printed pages with a hidden Rich Edit control, so
// that lines wrap and break as the editor breaks them. Any device context
// can take the pages: the printer's, or a metafile per page.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "base/result.h"
#include "print/page_loop.h"
#include "print/print_layout.h"
#include "print/print_target.h"

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
