#include <windows.h>

#include <richedit.h>

#include "print/rich_edit_pages.h"

#include "base/utf.h"

namespace {

RECT to_rect(const EdgeRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace

RichEditPages::RichEditPages(HWND layout, const PageGeometry& page, bool labels, std::string_view title,
                             std::int64_t end, HFONT label_font, PrintTarget& target)
    : layout_(layout),
      page_(page),
      labels_(labels),
      title_(to_wide(title)),
      end_(end),
      label_font_(label_font),
      target_(target) {}

std::int64_t RichEditPages::measure(std::int64_t start) { return format(target_.reference(), start, false); }

bool RichEditPages::start_document() { return target_.start_document(title_); }

bool RichEditPages::start_page() {
  page_dc_ = target_.start_page();
  return page_dc_ != nullptr;
}

std::int64_t RichEditPages::print_page(std::int64_t start, std::uint32_t number) {
  draw_labels(number);
  const std::int64_t next = format(page_dc_, start, true);
  target_.end_page();
  page_dc_ = nullptr;
  return next;
}

void RichEditPages::finish_document(std::uint32_t pages) { target_.end_document(pages); }

std::int64_t RichEditPages::format(HDC dc, std::int64_t start, bool render) {
  FORMATRANGE range{};
  range.hdc = dc;
  range.hdcTarget = target_.reference();
  range.rc = to_rect(page_.text_twips);
  range.rcPage = to_rect(page_.page_twips);
  range.chrg.cpMin = static_cast<LONG>(start);
  range.chrg.cpMax = static_cast<LONG>(end_);
  return SendMessageW(layout_, EM_FORMATRANGE, render ? TRUE : FALSE, reinterpret_cast<LPARAM>(&range));
}

void RichEditPages::draw_labels(std::uint32_t number) {
  HDC dc = page_dc_;
  const int saved = SaveDC(dc);
  SelectObject(dc, label_font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, INK_BLACK);
  if (labels_) {
    RECT title = to_rect(page_.title);
    DrawTextW(dc, title_.c_str(), -1, &title, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    const std::wstring label = L"Page " + std::to_wstring(number);
    RECT bottom = to_rect(page_.page_number);
    DrawTextW(dc, label.c_str(), -1, &bottom, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  RestoreDC(dc, saved);
}
