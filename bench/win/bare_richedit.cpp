// The smallest Win32 program that does the jobs the program benchmarks time
// Nimbol doing: one window holding one Rich Edit control, which opens the
// UTF-8 file named on its command line and writes it back when asked. It is
// what a user would get from the system alone; Nimbol is held against it.
//
// It does what a plain notepad must and nothing more: the same editor class,
// plain-text mode, limit and font as Nimbol's editor, the file read whole,
// converted by the system and streamed into the control before the window
// shows; saving takes the text out, converts it and writes it.

#include <windows.h>

#include <richedit.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/win/bench_messages.h"

namespace {

HWND editor = nullptr;
std::wstring file_path;

std::string read_whole_file(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  LARGE_INTEGER size{};
  GetFileSizeEx(file, &size);
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  for (std::size_t done = 0; done < bytes.size(); done += got) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    if (!ReadFile(file, bytes.data() + done, want, &got, nullptr) || got == 0) break;
  }
  CloseHandle(file);
  return bytes;
}

struct TextSource {
  const std::wstring& text;
  std::size_t at = 0;
};

DWORD CALLBACK read_slice(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* written) {
  auto& source = *reinterpret_cast<TextSource*>(cookie);
  std::size_t units = std::min<std::size_t>(static_cast<std::size_t>(size) / 2, source.text.size() - source.at);
  // The control reads each slice on its own: a slice never ends between a
  // CR and the LF after it, nor inside a surrogate pair.
  while (units > 1 && source.at + units < source.text.size() &&
         (source.text[source.at + units - 1] == L'\r' || IS_HIGH_SURROGATE(source.text[source.at + units - 1]))) {
    --units;
  }
  std::memcpy(buffer, source.text.data() + source.at, units * sizeof(wchar_t));
  source.at += units;
  *written = static_cast<LONG>(units * sizeof(wchar_t));
  return 0;
}

// The text goes in through the stream interface: under Wine, EM_SETTEXTEX
// of a text with many short lines takes time that grows with the square of
// its size (a 1 MiB file took 94 s), so streaming is what any program must
// do to open a large file at all.
void open_file() {
  std::wstring text;
  {
    const std::string bytes = read_whole_file(file_path);
    const int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    text.resize(static_cast<std::size_t>(units));
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), units);
  }
  TextSource source{text};
  EDITSTREAM how{reinterpret_cast<DWORD_PTR>(&source), 0, read_slice};
  SendMessageW(editor, EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&how));
}

// The text with CR LF line ends, as UTF-8, written over the file.
LRESULT save_file() {
  GETTEXTLENGTHEX length_how{GTL_USECRLF | GTL_PRECISE | GTL_NUMCHARS, 1200};
  const auto n =
      static_cast<std::size_t>(SendMessageW(editor, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length_how), 0));
  std::wstring text(n + 1, L'\0');
  GETTEXTEX how{};
  how.cb = static_cast<DWORD>((n + 1) * sizeof(wchar_t));
  how.flags = GT_USECRLF;
  how.codepage = 1200;
  const auto got = static_cast<int>(
      SendMessageW(editor, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(text.data())));
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), got, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), got, bytes.data(), size, nullptr, nullptr);
  HANDLE file = CreateFileW(file_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

LRESULT CALLBACK frame_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      MoveWindow(editor, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE);
      return 0;
    case WM_SETFOCUS:
      SetFocus(editor);
      return 0;
    case WM_APP_BENCH_SAVE:
      return save_file();
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  LoadLibraryW(L"Msftedit.dll");
  // The runtime has split the command line already; asking the shell to do
  // it would load its library into a program that should stay this small.
  if (__argc > 1) file_path = __wargv[1];

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = frame_proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = BARE_FRAME_CLASS;
  RegisterClassExW(&wc);
  HWND frame = CreateWindowExW(0, BARE_FRAME_CLASS, L"Bare", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 900,
                               600, nullptr, nullptr, instance, nullptr);
  editor = CreateWindowExW(0, MSFTEDIT_CLASS, nullptr,
                           WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0, 0, 0,
                           0, frame, nullptr, instance, nullptr);
  SendMessageW(editor, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
  SendMessageW(editor, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  HFONT font = CreateFontW(-15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Consolas");
  SendMessageW(editor, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  // The editor gets its size before the text: at width 0 the control would
  // lay the text out one character to a line.
  RECT client{};
  GetClientRect(frame, &client);
  MoveWindow(editor, 0, 0, client.right, client.bottom, FALSE);
  if (!file_path.empty()) open_file();
  ShowWindow(frame, SW_SHOW);
  SetForegroundWindow(frame);

  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
