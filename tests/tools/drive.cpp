// A small command for scripts that run Nimbol under Wine (`make run`,
// scripts/screenshot.sh):
//   drive wait          waits until the frame is shown and painted
//   drive close         closes the frame the way a user would and waits for the end
//   drive type TEXT     types TEXT into the program
//   drive new-tab       presses Ctrl+N
//   drive hover X Y     moves the mouse to X, Y of the frame's client area
//   drive command N     sends the frame command N (the main menu's item N)
//   drive click CLASS N clicks the button with id N in the window of CLASS
//   drive key [MODS+]VK presses a key given by its virtual-key number, with
//                       modifiers written before it: "ctrl+70", "shift+114",
//                       "18" (Alt alone)
// Exit code 0 on success, 1 when the frame did not appear or did not close.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

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

void send_key(WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

void type_text(const wchar_t* text) {
  for (const wchar_t* c = text; *c; ++c) {
    INPUT input[2]{};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wScan = *c;
    input[0].ki.dwFlags = KEYEVENTF_UNICODE;
    input[1] = input[0];
    input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
  }
}

// "ctrl+shift+70": the modifiers held down around the key.
void press_chord(const wchar_t* chord) {
  std::vector<WORD> held;
  const wchar_t* rest = chord;
  for (;;) {
    const wchar_t* plus = wcschr(rest, L'+');
    if (!plus) break;
    const std::wstring name(rest, plus);
    if (name == L"ctrl") held.push_back(VK_CONTROL);
    if (name == L"shift") held.push_back(VK_SHIFT);
    if (name == L"alt") held.push_back(VK_MENU);
    rest = plus + 1;
  }
  const WORD key = static_cast<WORD>(_wtoi(rest));
  for (WORD modifier : held) send_key(modifier, false);
  send_key(key, false);
  send_key(key, true);
  for (auto it = held.rbegin(); it != held.rend(); ++it) send_key(*it, true);
}

void move_mouse(HWND frame, int x, int y) {
  POINT p{x, y};
  ClientToScreen(frame, &p);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(p.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(p.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
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
  HWND frame = find_frame();
  if (frame && argc >= 2) SetForegroundWindow(frame);
  if (frame && argc == 3 && wcscmp(argv[1], L"type") == 0) {
    type_text(argv[2]);
  } else if (frame && argc == 2 && wcscmp(argv[1], L"new-tab") == 0) {
    send_key(VK_CONTROL, false);
    send_key('N', false);
    send_key('N', true);
    send_key(VK_CONTROL, true);
  } else if (frame && argc == 3 && wcscmp(argv[1], L"key") == 0) {
    press_chord(argv[2]);
  } else if (frame && argc == 3 && wcscmp(argv[1], L"command") == 0) {
    PostMessageW(frame, WM_COMMAND, static_cast<WPARAM>(_wtoi(argv[2])), 0);
  } else if (frame && argc == 4 && wcscmp(argv[1], L"hover") == 0) {
    move_mouse(frame, _wtoi(argv[2]), _wtoi(argv[3]));
  } else if (frame && argc == 4 && wcscmp(argv[1], L"click") == 0) {
    HWND window = FindWindowW(argv[2], nullptr);
    HWND button = window ? GetDlgItem(window, _wtoi(argv[3])) : nullptr;
    if (!button) return 1;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &ignored);
  } else {
    std::fputs("usage: drive wait|close|type TEXT|new-tab|key [MODS+]VK|command ID|hover X Y|click CLASS N\n", stderr);
    return 2;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  return 0;
}
