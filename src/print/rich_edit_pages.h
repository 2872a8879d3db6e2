#pragma once
// The pages of a print as a hidden Rich Edit control lays them out: it
// measures and draws one page at a time onto the target's contexts, with
// the title above and the page number below when labels are on.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "print/page_device.h"
#include "print/print_layout.h"
#include "print/print_target.h"

// Text on paper is black, whatever the theme.
inline constexpr COLORREF INK_BLACK = RGB(0, 0, 0);

class RichEditPages final : public PageDevice {
 public:
  RichEditPages(HWND layout, const PageGeometry& page, bool labels, std::string_view title, std::int64_t end,
                HFONT label_font, PrintTarget& target);

  std::int64_t measure(std::int64_t start) override;
  bool start_document() override;
  bool start_page() override;
  std::int64_t print_page(std::int64_t start, std::uint32_t number) override;
  void finish_document(std::uint32_t pages) override;

 private:
  std::int64_t format(HDC dc, std::int64_t start, bool render);
  void draw_labels(std::uint32_t number);

  HWND layout_;
  const PageGeometry& page_;
  bool labels_;
  std::wstring title_;
  std::int64_t end_;
  HFONT label_font_;
  PrintTarget& target_;
  HDC page_dc_ = nullptr;
};
