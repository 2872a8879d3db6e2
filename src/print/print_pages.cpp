// Printing a text page by page. The editor's own control cannot be used:
// it shows the user's theme colours and zoom, while paper wants black on
// white at 100 %. So a hidden twin is filled with the text and asked to
// format one page at a time onto whatever context the target gives.

#include <windows.h>

#include <richedit.h>

#include "print/print_pages.h"

#include <optional>
#include <string>

#include "base/handles.h"
#include "base/utf.h"
#include "editor/editor.h"
#include "print/rich_edit_pages.h"
#include "text/editor_text.h"

namespace {

constexpr UINT utf16_code_page = 1200;
constexpr COLORREF paper_white = RGB(255, 255, 255);
constexpr char not_prepared[] =
    "The text could not be prepared for printing: it is too large, or memory ran out. Nothing was printed.";

void destroy_window(HWND window) noexcept { DestroyWindow(window); }
using UniqueWindow = UniqueHandle<HWND, destroy_window>;

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
  format.crTextColor = INK_BLACK;
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

}  // namespace

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
  RichEditPages pages(layout.get(), *page, job.labels, job.title, plan.end, label_font.get(), target);
  const std::uint32_t printed = run_page_loop(plan, pages);
  // Rich Edit keeps what it learned about the device until told to forget.
  SendMessageW(layout.get(), EM_FORMATRANGE, FALSE, 0);
  return printed;
}
