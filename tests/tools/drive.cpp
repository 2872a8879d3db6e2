// A small command for scripts that run Nimbol under Wine (`make run`):
//   drive wait   waits until the frame is shown and painted
//   drive close  closes the frame the way a user would and waits for the end
// Exit code 0 on success, 1 when the frame did not appear or did not close.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

HWND find_frame() { return FindWindowW(L"NimbolFrame", nullptr); }

bool wait_for(auto condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace std::chrono_literals;
  if (argc == 2 && wcscmp(argv[1], L"wait") == 0) {
    if (!wait_for([] { return find_frame() && IsWindowVisible(find_frame()); }, 60s)) return 1;
    std::this_thread::sleep_for(1500ms);  // let it finish painting
    return 0;
  }
  if (argc == 2 && wcscmp(argv[1], L"close") == 0) {
    HWND frame = find_frame();
    if (!frame) return 1;
    PostMessageW(frame, WM_CLOSE, 0, 0);
    return wait_for([] { return find_frame() == nullptr; }, 20s) ? 0 : 1;
  }
  std::fputs("usage: drive wait|close\n", stderr);
  return 2;
}
