// Start-up's Win32 steps in the test's own process: the frame's first
// showing when Windows will not activate it, and the hand-off window, which
// takes handed-over files only while this instance can still open them.

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/hand_off.h"
#include "app/hand_off_payload.h"
#include "app/startup.h"
#include "base/utf.h"
#include "model/veil_state.h"
#include "support.h"
#include "ui/window_classes.h"

namespace {

using namespace wintest;

// While it lives, Windows refuses to activate `window`, as it does for a
// program started while the user works in another one.
class ActivationRefused {
 public:
  explicit ActivationRefused(HWND window) : hook_(SetWindowsHookExW(WH_CBT, refuse, nullptr, GetCurrentThreadId())) {
    refused_ = window;
    EXPECT_NE(hook_, nullptr);
  }
  ~ActivationRefused() { UnhookWindowsHookEx(hook_); }
  ActivationRefused(const ActivationRefused&) = delete;
  ActivationRefused& operator=(const ActivationRefused&) = delete;

 private:
  static LRESULT CALLBACK refuse(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_ACTIVATE && reinterpret_cast<HWND>(wparam) == refused_) return 1;
    return CallNextHookEx(nullptr, code, wparam, lparam);
  }
  static inline HWND refused_ = nullptr;
  HHOOK hook_;
};

class FrameAtStart : public GuiThreadTest {};

TEST_F(FrameAtStart, TextThatRevealsOnFocusWaitsForTheFrameToBeActivated) {
  struct Case {
    const char* what;
    Reveal reveal;
    bool activation_refused;
    bool covered;
  };
  const Case cases[] = {
      {"focus, activated", Reveal::Focus, false, false},
      {"focus, activation refused", Reveal::Focus, true, true},
      {"click, activated", Reveal::Click, false, true},
  };
  for (const Case& c : cases) {
    reset_gui_thread();
    HWND other = create_test_window(L"NimbolTestOtherProgram", DefWindowProcW, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    {700, 20, 200, 200});
    SetForegroundWindow(other);
    HWND frame = create_frame({20, 20, 500, 300});
    AppState state;
    state.frame = frame;
    state.config.hide_text = true;
    state.config.reveal = c.reveal;
    install_app_state(std::move(state));
    {
      std::optional<ActivationRefused> refused;
      if (c.activation_refused) refused.emplace(frame);
      show_frame_at_start(frame, std::nullopt, c.reveal);
    }
    EXPECT_TRUE(IsWindowVisible(frame)) << c.what;
    EXPECT_EQ(GetForegroundWindow() == frame, !c.activation_refused) << c.what;
    EXPECT_EQ(veiled(), c.covered) << c.what;
    if (c.reveal != Reveal::Focus) continue;
    // The user comes to the window: now the text shows.
    SetForegroundWindow(other);
    SetForegroundWindow(frame);
    EXPECT_FALSE(veiled()) << c.what;
  }
}

// ---- the hand-off window ----

class HandOffWindow : public GuiThreadTest {
 protected:
  const TempFolder files_{"handoff"};
};

std::vector<std::string> tab_paths() {
  std::vector<std::string> paths;
  auto state = app_state().borrow();
  if (!state) return paths;
  for (const Tab& tab : state->tabs) paths.push_back(tab.path.value_or(""));
  return paths;
}

TEST_F(HandOffWindow, TakesFilesOnlyWhileThisInstanceCanOpenThem) {
  const std::string file = files_.file("handed.txt");
  write_file(file, "handed");
  ASSERT_NE(create_hand_off_window(), nullptr);

  // Still starting: the files wait for the start-up to open them.
  EXPECT_TRUE(send_hand_off({to_wide(file)}));
  EXPECT_EQ(take_pending_open_paths(), std::vector<std::string>{file});

  // Running: they are opened at once.
  HWND frame = create_frame();
  AppState state;
  state.frame = frame;
  install_app_state(std::move(state));
  EXPECT_TRUE(send_hand_off({to_wide(file)}));
  EXPECT_EQ(tab_paths(), std::vector<std::string>{file});

  // Closing, its frame gone: refused, so that the sender opens them itself.
  DestroyWindow(frame);
  const std::string second = files_.file("second.txt");
  write_file(second, "second");
  EXPECT_FALSE(send_hand_off({to_wide(second)}));
  EXPECT_EQ(tab_paths(), std::vector<std::string>{file});
  EXPECT_TRUE(take_pending_open_paths().empty());

  // A message that is not a hand-off is refused whatever the state.
  HWND window = FindWindowExW(HWND_MESSAGE, nullptr, HAND_OFF_CLASS, nullptr);
  const std::wstring payload = encode_hand_off({to_wide(second)});
  COPYDATASTRUCT data{0, static_cast<DWORD>(payload.size() * sizeof(wchar_t)), const_cast<wchar_t*>(payload.data())};
  EXPECT_EQ(SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), FALSE);
}

}  // namespace
