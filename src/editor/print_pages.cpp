// Printing a text page by page. The editor's own control cannot be used:
// it shows the user's theme colours and zoom, while paper wants black on
// white at 100 %. So a hidden twin is filled with the text and asked to
// format one page at a time onto whatever context the target gives.

#include <windows.h>

#include <richedit.h>

#include "editor/print_pages.h"

#include <optional>
#include <string>

#include "base/handles.h"
#include "base/utf.h"
#include "editor/editor.h"

namespace {

constexpr UINT utf16_code_page = 1200;
constexpr COLORREF paper_white = RGB(255, 255, 255);
constexpr COLORREF ink_black = RGB(0, 0, 0);
constexpr char not_prepared[] =
    "The text could not be prepared for printing: it is too large, or memory ran out. Nothing was printed.";

void destroy_window(HWND window) noexcept { DestroyWindow(window); }
using UniqueWindow = UniqueHandle<HWND, destroy_window>;

RECT to_rect(const EdgeRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// The twin of the editor, black on white, holding the whole text; nothing
// when it cannot hold all of it (a print that silently ends early would pass
// for the whole text).
UniqueWindow make_layout_control(HWND owner, const PrintJob& job) {
  UniqueWindow layout(create_editor(owner, job.font, true, 100));
  if (!layout) return layout;
  HWND control = layout.get();
  // It is nobody's tab: its changes must not reach the frame as edits.
  SendMessageW(control, EM_SETEVENTMASK, 0, 0);
  SendMessageW(control, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(paper_white));
  CHARFORMATW format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_COLOR;
  format.crTextColor = ink_black;
  SendMessageW(control, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  SendMessageW(control, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  if (!set_editor_text(control, job.text)) layout.reset();
  return layout;
}

std::int64_t text_length(HWND control) {
  GETTEXTLENGTHEX how{GTL_NUMCHARS | GTL_PRECISE, utf16_code_page};
  const LRESULT n = SendMessageW(control, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0);
  return n < 0 ? 0 : n;
}

class RichEditPages final : public PageDevice {
 public:
  RichEditPages(HWND layout, const PageGeometry& page, const PrintJob& job, std::int64_t end, HFONT label_font,
                PrintTarget& target)
      : layout_(layout),
        page_(page),
        labels_(job.labels),
        title_(to_wide(job.title)),
        end_(end),
        label_font_(label_font),
        target_(target) {}

  std::int64_t measure(std::int64_t start) override { return format(target_.reference(), start, false); }
  bool start_document() override { return target_.start_document(title_); }
  bool start_page() override {
    page_dc_ = target_.start_page();
    return page_dc_ != nullptr;
  }
  std::int64_t print_page(std::int64_t start, std::uint32_t number) override {
    draw_labels(number);
    const std::int64_t next = format(page_dc_, start, true);
    target_.end_page();
    page_dc_ = nullptr;
    return next;
  }
  void finish_document(std::uint32_t pages) override { target_.end_document(pages); }

 private:
  std::int64_t format(HDC dc, std::int64_t start, bool render) {
    FORMATRANGE range{};
    range.hdc = dc;
    range.hdcTarget = target_.reference();
    range.rc = to_rect(page_.text_twips);
    range.rcPage = to_rect(page_.page_twips);
    range.chrg.cpMin = static_cast<LONG>(start);
    range.chrg.cpMax = static_cast<LONG>(end_);
    return SendMessageW(layout_, EM_FORMATRANGE, render ? TRUE : FALSE, reinterpret_cast<LPARAM>(&range));
  }

  void draw_labels(std::uint32_t number) {
    HDC dc = page_dc_;
    const int saved = SaveDC(dc);
    SelectObject(dc, label_font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ink_black);
    if (labels_) {
      RECT title = to_rect(page_.title);
      DrawTextW(dc, title_.c_str(), -1, &title, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
      const std::wstring label = L"Page " + std::to_wstring(number);
      RECT bottom = to_rect(page_.page_number);
      DrawTextW(dc, label.c_str(), -1, &bottom, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    RestoreDC(dc, saved);
  }

  HWND layout_;
  const PageGeometry& page_;
  bool labels_;
  std::wstring title_;
  std::int64_t end_;
  HFONT label_font_;
  PrintTarget& target_;
  HDC page_dc_ = nullptr;
};

}  // namespace

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

Result<std::uint32_t> print_pages(HWND owner, const PrintJob& job, const PrintRequest& request,
                                  const PrinterMetrics& printer, PrintTarget& target) {
  const std::optional<PageGeometry> page = page_geometry(printer, job.labels);
  if (!page) return 0;
  UniqueWindow layout = make_layout_control(owner, job);
  if (!layout) return fail(not_prepared);
  UniqueFont label_font(CreateFontW(page->label_font_height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                    DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI"));
  const PrintPlan plan = print_plan(request, text_length(layout.get()));
  RichEditPages pages(layout.get(), *page, job, plan.end, label_font.get(), target);
  const std::uint32_t printed = run_page_loop(plan, pages);
  // Rich Edit keeps what it learned about the device until told to forget.
  SendMessageW(layout.get(), EM_FORMATRANGE, FALSE, 0);
  return printed;
}
