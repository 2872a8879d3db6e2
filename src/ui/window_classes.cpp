// Window class registration for the program's own windows.

#include <windows.h>

#include "ui/window_classes.h"

HICON program_icon() {
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  return icon ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

void register_window_class(const WindowClassSpec& spec) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = spec.style;
  wc.lpfnWndProc = spec.procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  if (spec.program_icon) {
    wc.hIcon = program_icon();
    wc.hIconSm = program_icon();
  }
  if (spec.arrow_cursor) wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = spec.name;
  RegisterClassExW(&wc);
}
