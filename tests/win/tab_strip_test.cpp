// The tab strip window against real GDI and real window messages, with the
// tab list in the application state but no frame: what it paints where, and
// what clicks, drags and double clicks do to the tabs.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/handles.h"
#include "editor/strip_layout.h"
#include "editor/tab_strip.h"
#include "model/app_state.h"
#include "support.h"
#include "ui/command_ids.h"
#include "ui/dpi.h"
#include "ui/theme.h"
#include "ui/window_classes.h"

namespace {

using namespace wintest;

std::vector<WPARAM> received_commands;

LRESULT CALLBACK parent_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
  if (message == WM_COMMAND) received_commands.push_back(wparam);
  return DefWindowProcW(window, message, wparam, lparam);
}

COLORREF brush_colour(HBRUSH brush) {
  LOGBRUSH info{};
  GetObjectW(brush, sizeof info, &info);
  return info.lbColor;
}

Tab untitled(std::uint32_t number, bool dirty = false) {
  Tab tab;
  tab.untitled = number;
  tab.id = number;
  tab.dirty = dirty;
  return tab;
}

class TabStripWindow : public GuiThreadTest {
 protected:
  static constexpr std::int32_t WIDTH = 1000;

  void SetUp() override {
    GuiThreadTest::SetUp();
    // A real mouse over the window would move the hover under the test.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    register_window_class({TAB_STRIP_CLASS, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, tab_strip_proc, false, true});
    parent_ = create_test_window(L"NimbolStripTestParent", parent_proc, WS_OVERLAPPEDWINDOW, {0, 0, WIDTH + 100, 150});
    ASSERT_TRUE(parent_);
    const UINT dpi = GetDpiForWindow(parent_);
    dpi_ = dpi == 0 ? 96 : dpi;
    height_ = scale_for_dpi(34, dpi_);
    strip_ = CreateWindowExW(0, TAB_STRIP_CLASS, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, WIDTH, height_, parent_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(strip_);
    received_commands.clear();
  }

  void TearDown() override {
    pump();
    GuiThreadTest::TearDown();
    received_commands.clear();
  }

  void with_tabs(std::vector<Tab> tabs, std::size_t active) {
    AppState state;
    state.tabs = std::move(tabs);
    state.active = active;
    state.tab_strip = strip_;
    install_app_state(std::move(state));
  }

  StripLayout layout(std::size_t count) const { return strip_layout(WIDTH, height_, dpi_, count); }

  void send(UINT message, std::int32_t x, std::int32_t y, WPARAM keys = 0) {
    SendMessageW(strip_, message, keys, MAKELPARAM(x, y));
  }

  void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }

  // What the strip paints, read back pixel by pixel.
  class Picture {
   public:
    Picture(HWND window, int width, int height) : dc_(CreateCompatibleDC(nullptr)) {
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof info.bmiHeader;
      info.bmiHeader.biWidth = std::max(width, 1);
      info.bmiHeader.biHeight = -std::max(height, 1);
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      void* bits = nullptr;
      bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
      old_ = SelectObject(dc_.get(), bitmap_.get());
      SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_.get()), PRF_CLIENT);
    }
    ~Picture() { SelectObject(dc_.get(), old_); }
    COLORREF at(int x, int y) const { return GetPixel(dc_.get(), x, y); }

   private:
    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ old_ = nullptr;
  };

  Picture picture() const { return Picture(strip_, WIDTH, height_); }

  std::vector<std::uint32_t> order() {
    std::vector<std::uint32_t> numbers;
    auto state = app_state().borrow();
    for (const Tab& tab : state->tabs) numbers.push_back(tab.untitled);
    return numbers;
  }
  std::size_t active() { return app_state().borrow()->active; }

  HWND parent_ = nullptr;
  HWND strip_ = nullptr;
  std::uint32_t dpi_ = 96;
  std::int32_t height_ = 34;
};

TEST_F(TabStripWindow, PaintsButtonsAndHoverInThePalette) {
  const ThemeColors colours = palette();
  const StripLayout empty = layout(0);
  const ButtonGlyphs glyphs = button_glyphs(empty, dpi_);
  {
    const Picture shown = picture();
    EXPECT_EQ(shown.at(1, 1), brush_colour(colours.window_brush));
    EXPECT_EQ(shown.at(glyphs.menu[1].from.x + 2, glyphs.menu[1].from.y), colours.text_color);
    // With no tabs the plus sits right after the menu button.
    EXPECT_EQ(shown.at((empty.plus.left + empty.plus.right) / 2, height_ / 2), colours.text_color);
    EXPECT_EQ(shown.at(empty.plus.left + 1, 1), brush_colour(colours.window_brush));
    EXPECT_EQ(shown.at(empty.plus.right + 10, height_ / 2), brush_colour(colours.window_brush));
  }
  send(WM_MOUSEMOVE, 3, 3);
  EXPECT_EQ(picture().at(1, 1), brush_colour(colours.tab_brush)) << "the hovered menu button lights up";
  EXPECT_EQ(picture().at(empty.plus.left + 1, 1), brush_colour(colours.window_brush));
  send(WM_MOUSEMOVE, empty.plus.left + 2, 3);
  EXPECT_EQ(picture().at(1, 1), brush_colour(colours.window_brush));
  EXPECT_EQ(picture().at(empty.plus.left + 1, 1), brush_colour(colours.tab_brush));
  send(WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(picture().at(empty.plus.left + 1, 1), brush_colour(colours.window_brush));

  // A window of no size still paints, into its one-pixel buffer.
  MoveWindow(strip_, 0, 0, 0, 0, FALSE);
  const Picture nothing(strip_, 0, 0);
  UpdateWindow(strip_);
}

TEST_F(TabStripWindow, PaintsActiveHoveredAndModifiedTabs) {
  with_tabs({untitled(1), untitled(2), untitled(3, true)}, 1);
  const ThemeColors colours = palette();
  const StripLayout three = layout(3);
  ASSERT_TRUE(three.close_shown);
  const TabPaintGeometry first = tab_paint_geometry(three, 0, false, dpi_);
  const TabPaintGeometry second = tab_paint_geometry(three, 1, false, dpi_);
  const TabPaintGeometry third = tab_paint_geometry(three, 2, true, dpi_);
  {
    const Picture shown = picture();
    EXPECT_EQ(shown.at(three.tab(0).left + 1, 1), brush_colour(colours.window_brush));
    EXPECT_EQ(shown.at(three.tab(1).left + 1, 1), brush_colour(colours.edit_brush))
        << "the active tab joins the editor";
    EXPECT_EQ(shown.at(three.tab(2).left + 1, 1), brush_colour(colours.window_brush));
    // The modified marker, and close crosses dim on inactive tabs, strong on the active one.
    const EdgeRect dot = *third.dot;
    EXPECT_EQ(shown.at((dot.left + dot.right) / 2, (dot.top + dot.bottom) / 2), colours.dim_color);
    EXPECT_EQ(shown.at(first.cross_a_from.x + 1, first.cross_a_from.y + 1), colours.dim_color);
    EXPECT_EQ(shown.at(second.cross_a_from.x + 1, second.cross_a_from.y + 1), colours.text_color);
  }
  send(WM_MOUSEMOVE, three.tab(0).left + 20, height_ / 2);
  EXPECT_EQ(picture().at(three.tab(0).left + 1, 1), brush_colour(colours.tab_brush));
  // Over the close button: the tab stays lit and the button gets its own face.
  send(WM_MOUSEMOVE, first.close_hover.left + 1, first.close_hover.top + 1);
  {
    const Picture shown = picture();
    EXPECT_EQ(shown.at(three.tab(0).left + 1, 1), brush_colour(colours.tab_brush));
    EXPECT_EQ(shown.at(first.close_hover.left + 1, first.close_hover.top + 1), brush_colour(colours.edit_brush));
    EXPECT_EQ(shown.at(first.cross_a_from.x + 1, first.cross_a_from.y + 1), colours.text_color);
  }
  send(WM_MOUSEMOVE, second.close_hover.left + 1, second.close_hover.top + 1);
  EXPECT_EQ(picture().at(second.close_hover.left + 1, second.close_hover.top + 1), brush_colour(colours.tab_brush));
  EXPECT_EQ(picture().at(three.tab(0).left + 1, 1), brush_colour(colours.window_brush));
}

TEST_F(TabStripWindow, FollowsTheThemeAtTheNextPaint) {
  set_dark_mode(false);
  const COLORREF light = picture().at(1, 1);
  set_dark_mode(true);
  const COLORREF dark = picture().at(1, 1);
  EXPECT_EQ(light, RGB(236, 236, 236));
  EXPECT_EQ(dark, RGB(45, 45, 45));
}

TEST_F(TabStripWindow, DraggingATabMovesItAndTheActiveTabFollows) {
  with_tabs({untitled(1), untitled(2), untitled(3)}, 0);
  const StripLayout three = layout(3);
  const std::int32_t y = height_ / 2;
  const std::int32_t third_x = three.tab(2).left + 30;

  send(WM_LBUTTONDOWN, third_x, y, MK_LBUTTON);
  EXPECT_EQ(active(), 2u) << "pressing a tab activates it";
  EXPECT_EQ(GetCapture(), strip_);
  // A wobble within the drag distance is still a click.
  send(WM_MOUSEMOVE, third_x - GetSystemMetrics(SM_CXDRAG), y, MK_LBUTTON);
  EXPECT_EQ(order(), (std::vector<std::uint32_t>{1, 2, 3}));
  // Over the first tab's right edge: the dragged tab becomes the first.
  send(WM_MOUSEMOVE, three.tab(0).right - 1, y, MK_LBUTTON);
  EXPECT_EQ(order(), (std::vector<std::uint32_t>{3, 1, 2}));
  EXPECT_EQ(active(), 0u) << "the dragged active tab stays active";
  send(WM_LBUTTONUP, three.tab(0).right - 1, y);
  EXPECT_NE(GetCapture(), strip_);
  // After the release the mouse moves freely.
  send(WM_MOUSEMOVE, three.tab(2).left + 30, y);
  EXPECT_EQ(order(), (std::vector<std::uint32_t>{3, 1, 2}));
}

TEST_F(TabStripWindow, ButtonsAndDoubleClicksAskTheFrameForANewTab) {
  with_tabs({untitled(1), untitled(2)}, 0);
  const StripLayout two = layout(2);
  const std::int32_t y = height_ / 2;

  send(WM_LBUTTONDOWN, two.plus.left + 3, y, MK_LBUTTON);
  send(WM_LBUTTONUP, two.plus.left + 3, y);
  pump();
  EXPECT_EQ(received_commands, (std::vector<WPARAM>{CMD_NEW_TAB}));

  // The second click of a double click on a tab does nothing more.
  received_commands.clear();
  send(WM_LBUTTONDOWN, two.tab(1).left + 10, y, MK_LBUTTON);
  send(WM_LBUTTONUP, two.tab(1).left + 10, y);
  send(WM_LBUTTONDBLCLK, two.tab(1).left + 10, y, MK_LBUTTON);
  send(WM_LBUTTONUP, two.tab(1).left + 10, y);
  pump();
  EXPECT_TRUE(received_commands.empty());
  EXPECT_EQ(active(), 1u);
  EXPECT_EQ(order(), (std::vector<std::uint32_t>{1, 2}));

  // A double click on the empty strip opens a tab.
  send(WM_LBUTTONDBLCLK, two.plus.right + 50, y, MK_LBUTTON);
  pump();
  EXPECT_EQ(received_commands, (std::vector<WPARAM>{CMD_NEW_TAB}));
}

TEST_F(TabStripWindow, MiddleClickAndCloseButtonCloseThatTab) {
  with_tabs({untitled(1), untitled(2), untitled(3), untitled(4)}, 3);
  const std::int32_t y = height_ / 2;
  send(WM_MBUTTONDOWN, layout(4).tab(1).left + 10, y, MK_MBUTTON);
  EXPECT_EQ(order(), (std::vector<std::uint32_t>{1, 3, 4}));
  EXPECT_EQ(active(), 2u) << "the active tab stays the same document";

  const StripLayout three = layout(3);
  ASSERT_TRUE(three.close_shown);
  send(WM_LBUTTONDOWN, three.close_area(0).left + 3, y, MK_LBUTTON);
  EXPECT_EQ(order(), (std::vector<std::uint32_t>{3, 4}));
  EXPECT_NE(GetCapture(), strip_) << "closing is no drag";

  // Clicks between the plus button and the edge, and middle clicks on buttons, do nothing.
  send(WM_LBUTTONDOWN, layout(2).plus.right + 5, y, MK_LBUTTON);
  send(WM_MBUTTONDOWN, layout(2).plus.left + 5, y, MK_MBUTTON);
  pump();
  EXPECT_EQ(order(), (std::vector<std::uint32_t>{3, 4}));
  EXPECT_TRUE(received_commands.empty());
}

}  // namespace
