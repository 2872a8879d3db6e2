// The icon control of the message box and the About window.

#include <windows.h>

#include "ui/dialog_icon.h"

#include "ui/dpi.h"
#include "ui/window_classes.h"
#include "ui/window_dpi.h"

namespace {

// Common Controls 6 scales the icon down from its largest image, which stays
// sharp at any DPI. The import libraries of the toolchain lack the call, so
// it is looked up; plain LoadImageW is the fallback. The library comes from
// the system only: the manifest's side-by-side assembly (version 6) still
// comes first, a comctl32.dll beside the program never.
HICON load_scaled_icon(HINSTANCE module, const wchar_t* name, int size) {
  using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  static const HMODULE comctl = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);  // stays loaded
  if (comctl) {
    const auto load = reinterpret_cast<LoadIconWithScaleDownFn>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "LoadIconWithScaleDown")));
    HICON icon = nullptr;
    if (load && SUCCEEDED(load(module, name, size, size, &icon)) && icon) return icon;
  }
  return static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

DialogIcon::DialogIcon(bool app_icon, int size) {
  HINSTANCE module = app_icon ? GetModuleHandleW(nullptr) : nullptr;
  const wchar_t* name = app_icon ? MAKEINTRESOURCEW(1) : IDI_WARNING;
  owned_ = load_scaled_icon(module, name, size);
  icon_ = owned_ ? owned_ : app_icon ? program_icon() : nullptr;
}

DialogIcon::~DialogIcon() {
  if (owned_) DestroyIcon(owned_);
}

HWND add_dialog_icon(HWND window, HICON icon, int margin, int size) {
  const std::uint32_t dpi = window_dpi(window);
  const int at = scale_for_dpi(margin, dpi);
  const int side = scale_for_dpi(size, dpi);
  HWND control = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON, at, at, side, side, window,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
  if (control && icon) SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  return control;
}
