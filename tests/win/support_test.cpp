// The reset between tests, which every other test here relies on: the
// thread's state outlives a test in the one process that runs them all, and
// a veiled frame once left the next test's window titles covered.

#include <windows.h>

#include <gtest/gtest.h>

#include "model/app_state.h"
#include "model/veil_state.h"
#include "support.h"
#include "ui/theme.h"

namespace {

using namespace wintest;

class FreshThread : public GuiThreadTest {};

TEST_F(FreshThread, NothingOfAVeiledDarkFrameOutlivesTheReset) {
  HWND frame = create_frame();
  ASSERT_NE(frame, nullptr);
  AppState state;
  state.frame = frame;
  state.config.hide_text = true;
  install_app_state(std::move(state));
  // Losing the activation veils the frame's text.
  SendMessageW(frame, WM_ACTIVATEAPP, FALSE, 0);
  ASSERT_TRUE(veiled());
  set_theme_choice(Theme::Dark);
  set_dark_mode(true);
  HWND leftover = create_test_window(L"NimbolTestLeftover", DefWindowProcW, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  PostQuitMessage(3);

  reset_gui_thread();

  EXPECT_FALSE(app_state().exists());
  EXPECT_FALSE(veiled());
  EXPECT_FALSE(veil_state().hidden_at.has_value());
  EXPECT_EQ(theme_choice(), Theme::System);
  EXPECT_FALSE(is_dark());
  EXPECT_FALSE(IsWindow(frame));
  EXPECT_FALSE(IsWindow(leftover));
  // Neither the quit posted here nor one from the frame going would end the
  // next test's first modal loop.
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
