// Printing without a printer: there is none under Wine, so the pages go to
// one enhanced metafile each, laid out for a 96 DPI A4 "printer". The
// metafiles record every string drawn and where, which is what a printed
// page would show; with NIMBOL_PRINT_PAGES set to a folder they are also
// rendered there as bitmaps for a person to look at.
//
// Wine's Rich Edit does not format pages (EM_FORMATRANGE answers 0), so the
// test stands in for it on the hidden layout control: it notes how it was
// asked and fills each page with the control's lines, 20 pixels apart. What
// is tested is ours: the control we set up, the arguments of each call, the
// labels, and which pages are walked, printed and numbered.

#include <windows.h>

#include <commdlg.h>
#include <gtest/gtest.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/handles.h"
#include "base/utf.h"
#include "editor/editor.h"
#include "model/veil_state.h"
#include "print/print_pages.h"
#include "print/printing.h"
#include "support.h"
#include "ui/dark_dialog.h"
#include "ui/theme.h"

namespace {

using namespace wintest;

// A4 at 96 DPI with no unprintable border: margins of 75, label bands of 28.
constexpr PrinterMetrics a4_96{96, 96, 794, 1123, 794, 1123, 0, 0};

struct DeleteMetafile {
  void operator()(HENHMETAFILE h) const { DeleteEnhMetaFile(h); }
};
using Metafile = std::unique_ptr<std::remove_pointer_t<HENHMETAFILE>, DeleteMetafile>;

// ---- the stand-in for Rich Edit's page formatting ----

struct FormatCall {
  bool render;
  HDC dc;
  HDC target;
  RECT text;
  RECT page;
  CHARRANGE range;
};

// The layout control as the first format request found it.
struct LayoutSeen {
  bool visible;
  HWND parent;
  COLORREF text_colour;
  std::wstring text;
  std::wstring face;
  LONG height;  // twips
};

struct StandIn {
  WNDPROC original = nullptr;
  std::vector<FormatCall> calls;
  int forgets = 0;  // requests to drop the cached device information
  std::optional<LayoutSeen> layout;
};

thread_local StandIn* stand_in = nullptr;

std::wstring control_text(HWND control) {
  std::wstring text(1 << 16, L'\0');
  GETTEXTEX how{static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
  const LRESULT n =
      SendMessageW(control, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(text.data()));
  text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return text;
}

int twips_to_pixels(LONG twips, HDC dc) { return MulDiv(twips, GetDeviceCaps(dc, LOGPIXELSY), 1440); }

// Lays out whole lines (paragraphs ending in CR) from the range's start,
// one per 20 pixels of the text rectangle, drawing them when asked to.
LRESULT format_page(HWND control, bool render, const FORMATRANGE& request) {
  if (!stand_in->layout) {
    CHARFORMATW format{};
    format.cbSize = sizeof format;
    SendMessageW(control, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    stand_in->layout = LayoutSeen{IsWindowVisible(control) != FALSE,
                                  GetParent(control),
                                  format.crTextColor,
                                  control_text(control),
                                  format.szFaceName,
                                  format.yHeight};
  }
  stand_in->calls.push_back({render, request.hdc, request.hdcTarget, request.rc, request.rcPage, request.chrg});
  const std::wstring text = control_text(control);
  const LONG end = std::min<LONG>(request.chrg.cpMax, static_cast<LONG>(text.size()));
  const int line_height = MulDiv(20, GetDeviceCaps(request.hdc, LOGPIXELSY), 96);
  int y = twips_to_pixels(request.rc.top, request.hdc);
  const int bottom = twips_to_pixels(request.rc.bottom, request.hdc);
  const int x = MulDiv(request.rc.left, GetDeviceCaps(request.hdc, LOGPIXELSX), 1440);
  LONG position = request.chrg.cpMin;
  while (position < end && y + line_height <= bottom) {
    const std::size_t cr = text.find(L'\r', static_cast<std::size_t>(position));
    const LONG line_end = std::min<LONG>(end, cr == std::wstring::npos ? end : static_cast<LONG>(cr));
    if (render)
      ExtTextOutW(request.hdc, x, y, 0, nullptr, text.c_str() + position, static_cast<UINT>(line_end - position),
                  nullptr);
    position = std::min<LONG>(end, line_end + 1);
    y += line_height;
  }
  return position;
}

LRESULT CALLBACK stand_in_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != EM_FORMATRANGE) return CallWindowProcW(stand_in->original, control, message, wparam, lparam);
  if (lparam == 0) {
    ++stand_in->forgets;
    return 0;
  }
  return format_page(control, wparam != 0, *reinterpret_cast<const FORMATRANGE*>(lparam));
}

// Puts the stand-in on every Rich Edit control this thread creates.
LRESULT CALLBACK watch_creation(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND && stand_in) {
    const auto window = reinterpret_cast<HWND>(wparam);
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (lstrcmpiW(name, MSFTEDIT_CLASS) == 0) {
      stand_in->original =
          reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(stand_in_proc)));
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

// ---- pages as metafiles ----

// A printer that keeps each page as a metafile.
class MetafilePrinter final : public PrintTarget {
 public:
  MetafilePrinter() : reference_(CreateCompatibleDC(nullptr)) {}
  HDC reference() override { return reference_.get(); }
  bool start_document(std::wstring_view title) override {
    documents.emplace_back(title);
    return true;
  }
  HDC start_page() override {
    // The frame is in hundredths of a millimetre.
    const RECT frame{0, 0, a4_96.printable_width * 2540 / 96, a4_96.printable_height * 2540 / 96};
    page_ = CreateEnhMetaFileW(reference_.get(), nullptr, &frame, nullptr);
    return page_;
  }
  void end_page() override { pages.emplace_back(CloseEnhMetaFile(page_)); }
  void end_document(std::uint32_t count) override { ended.push_back(count); }

  std::vector<std::wstring> documents;
  std::vector<Metafile> pages;
  std::vector<std::uint32_t> ended;

 private:
  UniqueMemoryDc reference_;
  HDC page_ = nullptr;
};

// The strings of a page, top to bottom, and where the first body line is.
struct PageText {
  std::vector<std::wstring> labels;  // everything that is not a body line
  std::vector<std::wstring> lines;   // "Line nnn"
  int first_line_y = -1;
};

PageText text_of(const Metafile& page) {
  std::multimap<int, std::wstring> strings;
  EnumEnhMetaFile(
      nullptr, page.get(),
      [](HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM param) -> int {
        if (record->iType != EMR_EXTTEXTOUTW) return 1;
        const auto* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        const auto* chars =
            reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(record) + text->emrtext.offString);
        reinterpret_cast<std::multimap<int, std::wstring>*>(param)->emplace(text->emrtext.ptlReference.y,
                                                                            std::wstring(chars, text->emrtext.nChars));
        return 1;
      },
      &strings, nullptr);
  PageText out;
  for (const auto& [y, s] : strings) {
    if (s.starts_with(L"Line ")) {
      if (out.lines.empty()) out.first_line_y = y;
      out.lines.push_back(s);
    } else {
      out.labels.push_back(s);
    }
  }
  return out;
}

// Renders a page on white paper and writes it as a bitmap file.
void save_page(const Metafile& page, const std::string& path) {
  const int width = a4_96.printable_width;
  const int height = a4_96.printable_height;
  UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB};
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ASSERT_TRUE(bitmap);
  const SelectObjectScope select(dc.get(), bitmap.get());
  const RECT all{0, 0, width, height};
  FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  PlayEnhMetaFile(dc.get(), page.get(), &all);
  GdiFlush();
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof(BITMAPINFOHEADER);
  file.bfSize = static_cast<DWORD>(file.bfOffBits + stride * height);
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(BITMAPINFOHEADER));
  bytes.append(static_cast<const char*>(bits), stride * height);
  write_file(path, bytes);
}

// "Line 001\rLine 002\r...": 200 lines are five pages of 45 with labels.
std::string numbered_lines(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) {
    char line[16];
    snprintf(line, sizeof line, "Line %03d", i);
    text += line;
    if (i < count) text += '\r';
  }
  return text;
}

class Printing : public GuiThreadTest {
 protected:
  void SetUp() override {
    GuiThreadTest::SetUp();
    owner_ = create_test_window(L"NimbolPrintOwner", DefWindowProcW);
    font_.reset(create_editor_font("Liberation Mono", 11, 96));
    hook_ = SetWindowsHookExW(WH_CBT, watch_creation, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook_, nullptr);
  }
  void TearDown() override {
    UnhookWindowsHookEx(hook_);
    DestroyWindow(owner_);
    GuiThreadTest::TearDown();
  }

  struct Printed {
    std::uint32_t count = 0;
    std::vector<PageText> pages;
    StandIn layout;
  };

  Printed print(std::string_view text, bool labels, const PrintRequest& request, const char* name,
                const PrinterMetrics& metrics = a4_96) {
    Printed out;
    stand_in = &out.layout;
    MetafilePrinter printer;
    const PrintJob job{.title = "Report ünïcode.txt", .labels = labels, .text = text, .font = font_.get()};
    const Result<std::uint32_t> count = print_pages(owner_, job, request, metrics, printer);
    stand_in = nullptr;
    EXPECT_TRUE(count.has_value()) << name;
    out.count = count.value_or(0);
    EXPECT_EQ(printer.pages.size(), out.count) << name;
    // A document, once started, is ended once, with its page count.
    if (!printer.documents.empty()) {
      EXPECT_EQ(printer.documents, std::vector<std::wstring>{L"Report ünïcode.txt"}) << name;
      EXPECT_EQ(printer.ended, std::vector<std::uint32_t>{out.count}) << name;
    } else {
      EXPECT_TRUE(printer.ended.empty()) << name;
    }
    EXPECT_EQ(FindWindowExW(owner_, nullptr, MSFTEDIT_CLASS, nullptr), nullptr) << "the layout control is gone";
    check_requests(out.layout, printer, metrics, labels, name);
    const std::string folder = environment_folder();
    for (std::size_t i = 0; i < printer.pages.size(); ++i) {
      out.pages.push_back(text_of(printer.pages[i]));
      if (!folder.empty()) save_page(printer.pages[i], folder + "\\" + name + "-" + std::to_string(i + 1) + ".bmp");
    }
    return out;
  }

  // Every page was laid out for the printer, in the page geometry's twips,
  // drawn on the page's own context, and the cache was dropped at the end.
  static void check_requests(const StandIn& seen, MetafilePrinter& printer, const PrinterMetrics& metrics, bool labels,
                             const char* name) {
    if (seen.calls.empty()) return;
    const std::optional<PageGeometry> page = page_geometry(metrics, labels);
    ASSERT_TRUE(page) << name;
    for (const FormatCall& call : seen.calls) {
      EXPECT_EQ(call.target, printer.reference()) << name;
      EXPECT_EQ(call.render ? call.dc != printer.reference() : call.dc == printer.reference(), true) << name;
      const EdgeRect text{call.text.left, call.text.top, call.text.right, call.text.bottom};
      const EdgeRect whole{call.page.left, call.page.top, call.page.right, call.page.bottom};
      EXPECT_EQ(text, page->text_twips) << name;
      EXPECT_EQ(whole, page->page_twips) << name;
    }
    EXPECT_EQ(seen.forgets, 1) << name;
    ASSERT_TRUE(seen.layout) << name;
    EXPECT_FALSE(seen.layout->visible) << name;
    EXPECT_EQ(seen.layout->text_colour, RGB(0, 0, 0)) << "black on paper in either theme: " << name;
  }

  static std::string environment_folder() {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"NIMBOL_PRINT_PAGES", buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? to_utf8(buffer) : std::string();
  }

  HWND owner_ = nullptr;
  UniqueFont font_;
  HHOOK hook_ = nullptr;
};

std::vector<std::wstring> labels_of(std::uint32_t page) {
  return {L"Report ünïcode.txt", L"Page " + std::to_wstring(page)};
}

TEST_F(Printing, PagesTwoToThreeOfFiveCarryTheirOwnNumbers) {
  // The printed colours may not follow the dark theme.
  set_dark_mode(true);
  const std::string text = numbered_lines(200);
  const Printed all = print(text, true, {}, "all");
  ASSERT_EQ(all.count, 5u) << "the text is five pages long";
  EXPECT_EQ(all.layout.layout->parent, owner_);
  EXPECT_EQ(all.layout.layout->text, to_wide(text)) << "the whole text, paragraph ends as they were";
  EXPECT_EQ(all.pages[0].lines.front(), L"Line 001");
  EXPECT_EQ(all.pages[4].lines.back(), L"Line 200");
  for (std::uint32_t i = 0; i < all.count; ++i) EXPECT_EQ(all.pages[i].labels, labels_of(i + 1));

  const Printed some = print(text, true, {.part = PrintPart::Pages, .from_page = 2, .to_page = 3}, "pages-2-3");
  ASSERT_EQ(some.count, 2u);
  // Page 1 was laid out without being drawn, to find where page 2 starts.
  ASSERT_EQ(some.layout.calls.size(), 3u);
  EXPECT_FALSE(some.layout.calls[0].render);
  EXPECT_EQ(some.layout.calls[1].range.cpMin, all.layout.calls[1].range.cpMin);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(some.pages[i].labels, labels_of(static_cast<std::uint32_t>(i + 2)));
    EXPECT_EQ(some.pages[i].lines, all.pages[i + 1].lines) << "page " << i + 2 << " as in the whole print";
  }
}

TEST_F(Printing, EmptyTextSelectionAndLabelsOff) {
  const Printed empty = print("", true, {}, "empty");
  ASSERT_EQ(empty.count, 1u);
  EXPECT_EQ(empty.pages[0].labels, labels_of(1));
  EXPECT_TRUE(empty.pages[0].lines.empty());

  // Lines 100 to 160 selected: each line is eight characters and a CR.
  const std::string text = numbered_lines(200);
  const PrintRequest selection{.part = PrintPart::Selection, .selection_start = 99 * 9, .selection_end = 160 * 9 - 1};
  const Printed selected = print(text, true, selection, "selection");
  ASSERT_EQ(selected.count, 2u);
  EXPECT_EQ(selected.pages[0].labels, labels_of(1)) << "the selection's first page is page 1";
  EXPECT_EQ(selected.pages[0].lines.front(), L"Line 100");
  EXPECT_EQ(selected.pages[1].labels, labels_of(2));
  EXPECT_EQ(selected.pages[1].lines.back(), L"Line 160");
  EXPECT_EQ(selected.layout.calls.back().range.cpMax, 160 * 9 - 1);

  const Printed plain = print(text, false, {}, "no-labels");
  const Printed labelled = print(text, true, {}, "labels");
  ASSERT_GE(plain.count, 1u);
  for (const PageText& page : plain.pages) EXPECT_TRUE(page.labels.empty());
  EXPECT_GT(plain.pages[0].lines.size(), labelled.pages[0].lines.size()) << "without bands a page holds more";
  // The text starts at the 20 mm margin, or 0.3 inch below it with labels.
  EXPECT_EQ(plain.pages[0].first_line_y, 75);
  EXPECT_EQ(labelled.pages[0].first_line_y, 75 + 28);
}

TEST_F(Printing, APageWithoutRoomStartsNoDocument) {
  // 150 pixels across at 96 DPI: the margins meet.
  const Printed none = print("text", false, {}, "no-room", {96, 96, 150, 1123, 150, 1123, 0, 0});
  EXPECT_EQ(none.count, 0u);
  EXPECT_FALSE(none.layout.layout) << "not even laid out";
}
TEST_F(Printing, TheDialogOffersTheSelectionOnlyWhenThereIsOne) {
  for (bool selection : {false, true}) {
    const PRINTDLGW request = print_dialog_request(owner_, selection);
    EXPECT_EQ(request.hwndOwner, owner_);
    const DWORD flags = PD_RETURNDC | PD_ENABLEPRINTHOOK | PD_USEDEVMODECOPIESANDCOLLATE;
    EXPECT_EQ(request.Flags, selection ? flags : flags | PD_NOSELECTION);
    EXPECT_EQ(request.lpfnPrintHook, dark_dialog_hook);
  }

  struct Case {
    DWORD flags;
    PrintPlan plan;
  };
  const Case cases[] = {
      {PD_ALLPAGES, {0, 500, 1, NO_LAST_PAGE}},
      {PD_PAGENUMS, {0, 500, 4, 7}},
      {PD_SELECTION, {120, 300, 1, NO_LAST_PAGE}},
  };
  for (const Case& c : cases) {
    PRINTDLGW answered = print_dialog_request(owner_, true);
    answered.Flags |= c.flags;
    answered.nFromPage = 4;
    answered.nToPage = 7;
    EXPECT_EQ(print_plan(print_request_from(answered, 120, 300), 500), c.plan) << c.flags;
  }
}

// The Print dialog as the test answers it: "Print" with all pages, after
// the editor font was replaced under it when `replaced_font` is set (the
// frame does that on a DPI change, deleting the old font).
UniqueFont* replaced_font = nullptr;
BOOL choose_all_pages(PRINTDLGW* dialog) {
  if (replaced_font) replaced_font->reset(create_editor_font("Courier New", 20, 144));
  dialog->hDC = CreateCompatibleDC(nullptr);
  return TRUE;
}
PrinterMetrics a4_at_96(HDC) { return a4_96; }

// Answered "Print" only after the user left and the text got covered.
BOOL choose_after_the_cover(PRINTDLGW* dialog) {
  veil_state().veiled = true;
  return choose_all_pages(dialog);
}

TEST_F(Printing, TheEditorFontReplacedDuringTheDialogDoesNotChangeThePrint) {
  std::optional<LayoutSeen> seen[2];
  for (bool replace : {false, true}) {
    StandIn layout;
    stand_in = &layout;
    replaced_font = replace ? &font_ : nullptr;
    MetafilePrinter printer;
    print_document(owner_, "font.txt", false, "text", font_.get(), 0, 0,
                   {.choose = choose_all_pages, .metrics = a4_at_96, .target = &printer});
    replaced_font = nullptr;
    stand_in = nullptr;
    EXPECT_EQ(printer.pages.size(), 1u);
    seen[replace] = layout.layout;
  }
  ASSERT_TRUE(seen[0] && seen[1]);
  EXPECT_EQ(seen[0]->face, L"Liberation Mono");
  EXPECT_EQ(seen[1]->face, seen[0]->face) << "printed in the font the command was given";
  EXPECT_EQ(seen[1]->height, seen[0]->height);
}

TEST_F(Printing, ADialogAnsweredAfterTheTextGotCoveredPrintsNothing) {
  MetafilePrinter printer;
  print_document(owner_, "covered.txt", false, "private text", font_.get(), 0, 0,
                 {.choose = choose_after_the_cover, .metrics = a4_at_96, .target = &printer});
  veil_state().veiled = false;
  EXPECT_TRUE(printer.documents.empty());
  EXPECT_TRUE(printer.pages.empty());
}

}  // namespace
