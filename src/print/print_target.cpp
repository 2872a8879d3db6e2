#include <windows.h>

#include "print/print_target.h"

bool PrinterTarget::start_document(std::wstring_view title) {
  title_ = std::wstring(title);
  DOCINFOW info{};
  info.cbSize = sizeof info;
  info.lpszDocName = title_.c_str();
  info.lpszOutput = nullptr;
  return StartDocW(printer_, &info) > 0;
}

HDC PrinterTarget::start_page() { return StartPage(printer_) > 0 ? printer_ : nullptr; }

void PrinterTarget::end_page() { EndPage(printer_); }

void PrinterTarget::end_document(std::uint32_t pages) {
  // A job that never got a page would wait in the spooler as an empty
  // document; it is withdrawn instead.
  if (pages > 0) {
    EndDoc(printer_);
  } else {
    AbortDoc(printer_);
  }
}

PrinterMetrics printer_metrics(HDC printer) {
  return PrinterMetrics{
      .dpi_x = GetDeviceCaps(printer, LOGPIXELSX),
      .dpi_y = GetDeviceCaps(printer, LOGPIXELSY),
      .printable_width = GetDeviceCaps(printer, HORZRES),
      .printable_height = GetDeviceCaps(printer, VERTRES),
      .paper_width = GetDeviceCaps(printer, PHYSICALWIDTH),
      .paper_height = GetDeviceCaps(printer, PHYSICALHEIGHT),
      .offset_x = GetDeviceCaps(printer, PHYSICALOFFSETX),
      .offset_y = GetDeviceCaps(printer, PHYSICALOFFSETY),
  };
}
