// A second start whose files the running instance will not take: they must
// open somewhere. The test itself plays a first instance on its way out,
// which holds the single-instance mutex and refuses every hand-off, so the
// moment of closing is not left to chance.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "e2e/driver.h"

namespace {

using namespace e2e;

class ClosingInstance {
 public:
  ClosingInstance() {
    // Ours once any earlier test's program has ended.
    mutex_ = CreateMutexW(nullptr, TRUE, L"Local\\Nimbol.SingleInstance");
    if (mutex_ && GetLastError() == ERROR_ALREADY_EXISTS) {
      const DWORD waited = WaitForSingleObject(mutex_, 15000);
      EXPECT_TRUE(waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED);
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = refuse_hand_off;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"NimbolHandOff";
    RegisterClassExW(&wc);
    window_ =
        CreateWindowExW(0, L"NimbolHandOff", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    EXPECT_NE(window_, nullptr);
    offers_ = 0;
  }
  ~ClosingInstance() { end(); }
  ClosingInstance(const ClosingInstance&) = delete;
  ClosingInstance& operator=(const ClosingInstance&) = delete;

  // Answers messages until a hand-off has been offered and refused.
  bool wait_for_offer(Duration timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (offers_ == 0 && std::chrono::steady_clock::now() < deadline) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return offers_ > 0;
  }

  // The process this instance stands for has ended: its window and mutex go.
  void end() {
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
    if (mutex_) {
      ReleaseMutex(mutex_);
      CloseHandle(mutex_);
    }
    mutex_ = nullptr;
    // A hand-off still waiting for an answer gets its refusal now.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }

 private:
  static LRESULT CALLBACK refuse_hand_off(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COPYDATA) {
      ++offers_;
      return FALSE;
    }
    return DefWindowProcW(window, message, wparam, lparam);
  }
  static inline int offers_ = 0;
  HANDLE mutex_ = nullptr;
  HWND window_ = nullptr;
};

TEST(HandOff, FilesRefusedByAClosingInstanceAreOpenedByTheNewStart) {
  ClosingInstance first;
  TempDir files;
  const std::wstring handed = files / L"handed.txt";
  write_file(handed, "handed over");

  App second({.args = {handed}, .wait_for_frame = false});
  ASSERT_TRUE(first.wait_for_offer(15s)) << "the new start offers its file to the running instance";
  first.end();

  // The first instance has gone; the new start is the instance now.
  EXPECT_TRUE(eventually([&] { return second.title() == L"handed.txt - Nimbol"; }));
  ASSERT_EQ(second.editors().size(), 1u);
  EXPECT_EQ(second.editor_text(second.active_editor()), L"handed over");
  // And it takes later starts' files as the first instance did.
  const std::wstring later = files / L"later.txt";
  write_file(later, "later");
  App third(second, {.args = {later}, .wait_for_frame = false});
  EXPECT_EQ(third.wait_exit(), 0u);
  EXPECT_TRUE(eventually([&] { return second.title() == L"later.txt - Nimbol"; }));
}

}  // namespace
