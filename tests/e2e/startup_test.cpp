// Starting, the single instance and closing, as a user meets them.

#include <gtest/gtest.h>

#include "e2e/driver.h"

namespace {

using namespace e2e;

TEST(Startup, FirstStartShowsOneFrameWithItsParts) {
  App app;
  const Window frame = app.frame();
  ASSERT_TRUE(frame);
  EXPECT_TRUE(frame.visible());
  EXPECT_EQ(app.top_level_windows(L"NimbolFrame").size(), 1u);

  const Window strip = app.tab_strip();
  const Window veil = app.veil();
  const Window status = app.status_bar();
  ASSERT_TRUE(strip);
  ASSERT_TRUE(veil);
  ASSERT_TRUE(status);
  EXPECT_TRUE(strip.visible());
  EXPECT_FALSE(veil.visible());
  EXPECT_TRUE(status.visible());
  EXPECT_EQ(GetParent(strip.hwnd()), frame.hwnd());
  EXPECT_EQ(GetParent(veil.hwnd()), frame.hwnd());
  EXPECT_EQ(GetParent(status.hwnd()), frame.hwnd());
}

TEST(Startup, WithoutAStoredPlacementTheWindowIs900By600) {
  App app;
  const RECT r = app.frame().window_rect();
  EXPECT_EQ(r.right - r.left, 900);
  EXPECT_EQ(r.bottom - r.top, 600);
}

TEST(Startup, TheChildrenFillTheClientArea) {
  App app;
  const SIZE client = app.frame().client_size();
  RECT strip{}, status{};
  GetWindowRect(app.tab_strip().hwnd(), &strip);
  GetWindowRect(app.status_bar().hwnd(), &status);
  EXPECT_EQ(strip.right - strip.left, client.cx);
  EXPECT_EQ(strip.bottom - strip.top, 34);
  EXPECT_EQ(status.bottom - status.top, 24);
  const Window editor = app.active_editor();
  ASSERT_TRUE(editor);
  EXPECT_EQ(editor.client_size().cx + GetSystemMetrics(SM_CXVSCROLL) >= client.cx - 4, true);
}

TEST(Startup, ASecondStartHandsOverAndEndsWithoutASecondFrame) {
  App first;
  App second(first, {.wait_for_frame = false});
  EXPECT_EQ(second.wait_exit(), 0u);
  EXPECT_EQ(first.top_level_windows(L"NimbolFrame").size(), 1u);
  EXPECT_TRUE(second.top_level_windows(L"NimbolFrame").empty());
  EXPECT_TRUE(first.running());
}

TEST(Startup, ClosingTheWindowEndsTheProgramWithExitCodeZero) {
  App app;
  app.close();
  EXPECT_EQ(app.wait_exit(), 0u);
}

TEST(Startup, TheFirstStartOpensOneEmptyUntitledTab) {
  App app;
  EXPECT_EQ(app.title(), L"Untitled - Nimbol");
  ASSERT_EQ(app.editors().size(), 1u);
  EXPECT_EQ(app.editor_text(app.active_editor()), L"");
}

}  // namespace
