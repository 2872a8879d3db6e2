// The About window and the licences viewer, opened in this process: every
// control where the layout of the measured texts puts it at this DPI, a
// DPI change that lays them out again, and one window of each at a time.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "about/about_layout.h"
#include "about/about_window.h"
#include "about/licenses.h"
#include "base/utf.h"
#include "model/maker_site.h"
#include "store/settings.h"
#include "support.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/window_slots.h"
#include "update/update_text.h"
#include "update/version.h"

namespace {

using namespace wintest;

class AboutWindow : public DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    owner_ = create_test_window(L"NimbolTestOwner", DefWindowProcW, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  }
  HWND open() {
    open_about_window(owner_);
    return FindWindowW(ABOUT_CLASS, nullptr);
  }
  HWND owner_ = nullptr;
};

std::vector<HWND> children_of(HWND window) {
  std::vector<HWND> out;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) out.push_back(child);
  return out;
}

// The whole text of a window, however long.
std::wstring full_text(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

RECT client_rect_of(HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool at(HWND child, const PixelRect& want) {
  const RECT r = client_rect_of(child);
  return r.left == want.x && r.top == want.y && r.right - r.left == want.width && r.bottom - r.top == want.height;
}

// The layout the window should have: its texts, measured here.
DialogLayout expected_layout(AboutTexts& texts) {
  const std::string description = about_description();
  const std::string note = about_network_note(UPDATE_HOST, security_fixes_line(own_version()));
  texts = {to_wide(about_heading()),
           L"Homepage:",
           to_wide(HOMEPAGE_URL),
           to_wide(description),
           to_wide(note),
           L"Updates:",
           to_wide(updates_page_url(UPDATE_HOST)),
           L"Settings and session:",
           to_wide(*data_folder()),
           L"Third-Party Licenses",
           L"OK"};
  return about_layout(texts,
                      {measure_text_width("Homepage:"), measure_text_width(HOMEPAGE_URL),
                       measure_text_height(description, ABOUT_TEXT_WIDTH), measure_text_height(note, ABOUT_TEXT_WIDTH),
                       measure_text_width("Updates:"), measure_text_width(updates_page_url(UPDATE_HOST))});
}

TEST_F(AboutWindow, EveryControlSitsWhereTheMeasuredTextsPutItAtThisDpi) {
  HWND about = open();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(window_slots().about_window, about);
  EXPECT_EQ(window_text(about), "About Nimbol");
  EXPECT_EQ(GetWindow(about, GW_OWNER), owner_);
  EXPECT_TRUE(IsWindowVisible(about));

  const std::uint32_t dpi = window_dpi(about);
  AboutTexts texts;
  const DialogLayout layout = expected_layout(texts);
  RECT outer{};
  GetWindowRect(about, &outer);
  EXPECT_EQ(outer.right - outer.left, scale_for_dpi(layout.width, dpi));
  EXPECT_EQ(outer.bottom - outer.top, scale_for_dpi(layout.height, dpi));

  const std::vector<HWND> children = children_of(about);
  ASSERT_EQ(children.size(), layout.controls.size() + 1) << "the controls and the icon";
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    const ControlSpec& spec = layout.controls[i];
    EXPECT_EQ(GetDlgCtrlID(children[i]), spec.id) << i;
    EXPECT_EQ(full_text(children[i]), spec.text) << i;
    EXPECT_TRUE(at(children[i], scaled_rect(spec, dpi))) << i << ": " << window_text(children[i]);
  }
  const HWND icon = children.back();
  EXPECT_EQ(GetWindowLongPtrW(icon, GWL_STYLE) & SS_TYPEMASK, SS_ICON);
  EXPECT_NE(SendMessageW(icon, STM_GETICON, 0, 0), 0);
  EXPECT_TRUE(
      at(icon, {scale_for_dpi(12, dpi), scale_for_dpi(12, dpi), scale_for_dpi(32, dpi), scale_for_dpi(32, dpi)}));
}

TEST_F(AboutWindow, ADpiChangeMovesTheWindowAndLaysTheControlsOutAgain) {
  HWND about = open();
  ASSERT_NE(about, nullptr);
  HWND ok = GetDlgItem(about, ABOUT_OK_ID);
  const RECT placed = client_rect_of(ok);
  SetWindowPos(ok, nullptr, 0, 0, 5, 5, SWP_NOZORDER);
  RECT suggested{40, 50, 40 + 700, 50 + 800};
  const std::uint32_t dpi = window_dpi(about);
  SendMessageW(about, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  RECT outer{};
  GetWindowRect(about, &outer);
  EXPECT_EQ(outer.left, 40);
  EXPECT_EQ(outer.bottom - outer.top, 800);
  const RECT again = client_rect_of(ok);
  EXPECT_TRUE(EqualRect(&again, &placed)) << "the OK button is back in its place";
}

// The width in pixels of the icon an icon control shows.
int shown_icon_width(HWND control) {
  const auto icon = reinterpret_cast<HICON>(SendMessageW(control, STM_GETICON, 0, 0));
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

TEST_F(AboutWindow, ADpiChangeLoadsTheIconAgainAtItsNewSize) {
  HWND about = open();
  ASSERT_NE(about, nullptr);
  const HWND icon = children_of(about).back();
  const std::uint32_t dpi = window_dpi(about);
  ASSERT_EQ(shown_icon_width(icon), scale_for_dpi(32, dpi));
  // Another DPI than the window's own, so that the sizes differ.
  const std::uint32_t other = dpi == 144 ? 192 : 144;
  RECT suggested{0, 0, 900, 1200};
  SendMessageW(about, WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(shown_icon_width(icon), scale_for_dpi(32, other));
  EXPECT_TRUE(at(
      icon, {scale_for_dpi(12, other), scale_for_dpi(12, other), scale_for_dpi(32, other), scale_for_dpi(32, other)}));
}

TEST_F(AboutWindow, OneWindowAndOneLicencesViewerAtATime) {
  HWND about = open();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(open(), about);
  open_about_window(owner_);
  EXPECT_EQ(window_slots().about_window, about);

  HWND button = GetDlgItem(about, ABOUT_LICENSES_ID);
  SendMessageW(button, BM_CLICK, 0, 0);
  SendMessageW(button, BM_CLICK, 0, 0);
  std::vector<HWND> viewers;
  for (HWND w = FindWindowW(LICENSES_CLASS, nullptr); w; w = FindWindowExW(nullptr, w, LICENSES_CLASS, nullptr)) {
    viewers.push_back(w);
  }
  ASSERT_EQ(viewers.size(), 1u);
  HWND viewer = viewers[0];
  EXPECT_EQ(window_slots().licenses_window, viewer);
  EXPECT_EQ(window_text(viewer), "Third-Party Licenses");
  EXPECT_EQ(GetWindow(viewer, GW_OWNER), about);
  const std::uint32_t dpi = window_dpi(viewer);
  RECT outer{};
  GetWindowRect(viewer, &outer);
  EXPECT_EQ(outer.right - outer.left, scale_for_dpi(640, dpi));
  EXPECT_EQ(outer.bottom - outer.top, scale_for_dpi(544, dpi));
  HWND text = GetDlgItem(viewer, LICENSES_TEXT_ID);
  ASSERT_NE(text, nullptr);
  EXPECT_TRUE(
      at(text, {scale_for_dpi(12, dpi), scale_for_dpi(12, dpi), scale_for_dpi(600, dpi), scale_for_dpi(440, dpi)}));
  EXPECT_TRUE(at(GetDlgItem(viewer, ABOUT_OK_ID),
                 {scale_for_dpi(532, dpi), scale_for_dpi(464, dpi), scale_for_dpi(80, dpi), scale_for_dpi(26, dpi)}));
  EXPECT_EQ(full_text(text), to_wide(licenses_text())) << "the whole text, not cut at the edit control's default limit";
  EXPECT_TRUE(GetWindowLongPtrW(text, GWL_STYLE) & ES_READONLY);
  // Tab goes between the text and OK, both ways, as the dialog keys do.
  HWND ok = GetDlgItem(viewer, ABOUT_OK_ID);
  EXPECT_EQ(GetNextDlgTabItem(viewer, ok, FALSE), text);
  EXPECT_EQ(GetNextDlgTabItem(viewer, text, FALSE), ok);
  EXPECT_EQ(GetNextDlgTabItem(viewer, ok, TRUE), text);

  // Closing the About window takes the viewer it owns along.
  SendMessageW(about, WM_COMMAND, ABOUT_OK_ID, 0);
  EXPECT_FALSE(IsWindow(about));
  EXPECT_FALSE(IsWindow(viewer));
  EXPECT_EQ(window_slots().about_window, nullptr);
  EXPECT_EQ(window_slots().licenses_window, nullptr);
}

}  // namespace
