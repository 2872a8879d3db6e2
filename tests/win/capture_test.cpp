// Capture exclusion reaches every top-level window of the GUI thread: those
// open when it is switched on, and each one created later, down to message
// boxes, prompts, common dialogs and menus. Under Wine the affinity call
// itself always fails, so the test programs' own copy of the one function
// that makes it writes each call down (display_affinity.h), and the test
// reads that log; nimbol.exe is built without it.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "editor/font_dialog.h"
#include "privacy/capture.h"
#include "privacy/display_affinity.h"
#include "privacy/settings_window.h"
#include "store/vault_prompts.h"
#include "support.h"
#include "ui/message_box.h"
#include "ui/password_prompt.h"
#include "ui/window_slots.h"

namespace {

using namespace wintest;

class CaptureExclusion : public GuiThreadTest {
 protected:
  void TearDown() override {
    apply_capture_exclusion(false);
    GuiThreadTest::TearDown();
  }
};

bool was_set(HWND window, DWORD affinity) {
  const auto& calls = display_affinity_calls();
  return std::any_of(calls.begin(), calls.end(),
                     [&](const AffinityCall& c) { return c.window == window && c.affinity == affinity; });
}

// Opens one kind of window, modal or not; `look` gets the window while it
// is open, and closes it.
struct Opener {
  const char* what;
  const wchar_t* class_name;
  std::function<void(HWND frame)> open;
};

Result<void> refuse(void*, std::span<const SecureBuffer>) { return fail(std::string("no")); }

TEST_F(CaptureExclusion, EveryWindowOfTheThreadIsExcludedWhileOnAndCapturedAgainAfter) {
  HWND frame = create_frame({20, 20, 500, 300});
  ASSERT_NE(frame, nullptr);
  AppState state;
  state.frame = frame;
  install_app_state(std::move(state));
  ShowWindow(frame, SW_SHOW);

  display_affinity_calls().clear();
  apply_capture_exclusion(true);
  EXPECT_TRUE(was_set(frame, AFFINITY_EXCLUDED)) << "a window open before";

  const Opener openers[] = {
      {"frame created later", L"NimbolFrame", nullptr},
      {"message box", L"NimbolMessageWnd", [](HWND f) { (void)message_box(f, false, "x", {"OK"}, 0, 0); }},
      {"prompt", L"NimbolPasswordWnd", [](HWND f) { (void)password_prompt(f, relock_prompt(), nullptr, refuse); }},
      {"common dialog", SYSTEM_DIALOG_CLASS, [](HWND f) { (void)font_dialog(f, "Consolas", 11, 96); }},
      {"menu", L"#32768",
       [](HWND f) {
         HMENU menu = CreatePopupMenu();
         AppendMenuW(menu, MF_STRING, 1, L"item");
         TrackPopupMenu(menu, TPM_RETURNCMD, 100, 100, 0, f, nullptr);
         DestroyMenu(menu);
       }},
      {"privacy settings", SETTINGS_WINDOW_CLASS, [](HWND) { open_privacy_settings(); }},
  };
  for (const Opener& o : openers) {
    display_affinity_calls().clear();
    HWND seen = nullptr;
    bool excluded_at_once = false, renewed = false;
    auto look = [&](HWND window) {
      seen = window;
      excluded_at_once = was_set(window, AFFINITY_EXCLUDED);
      display_affinity_calls().clear();
      // What the frame does on WM_ENTERIDLE: every window open now again.
      reapply_capture_exclusion();
      renewed = was_set(window, AFFINITY_EXCLUDED) && was_set(frame, AFFINITY_EXCLUDED);
    };
    if (wcscmp(o.class_name, L"NimbolFrame") == 0) {
      // Kept until the test ends: a destroyed frame would post the quit
      // that ends every modal loop after it.
      look(create_frame());
    } else if (wcscmp(o.class_name, SETTINGS_WINDOW_CLASS) == 0) {
      o.open(frame);
      look(window_slots().settings_window);
    } else {
      Script script{{{o.class_name, [&](HWND w) {
                        look(w);
                        if (wcscmp(o.class_name, L"#32768") == 0) {
                          EndMenu();
                        } else {
                          PostMessageW(w, WM_CLOSE, 0, 0);
                        }
                      }}}};
      with_script(script, [&] { o.open(frame); });
    }
    EXPECT_NE(seen, nullptr) << o.what;
    EXPECT_TRUE(excluded_at_once) << o.what;
    EXPECT_TRUE(renewed) << o.what;
  }

  // Switched off, every open window can be captured again, and new ones
  // are left alone.
  HWND settings = window_slots().settings_window;
  ASSERT_NE(settings, nullptr);
  display_affinity_calls().clear();
  apply_capture_exclusion(false);
  EXPECT_TRUE(was_set(frame, AFFINITY_NONE));
  EXPECT_TRUE(was_set(settings, AFFINITY_NONE));
  display_affinity_calls().clear();
  create_frame();
  reapply_capture_exclusion();
  EXPECT_TRUE(display_affinity_calls().empty());
}

}  // namespace
