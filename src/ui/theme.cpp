// The theme switch of the GUI thread: which palette is in force, the brushes
// behind it, and carrying a change to every window that is open. Windows that
// paint themselves read palette() at each paint; everything else (title bars,
// Rich Edit colours, themed scroll bars, menus) is told here.

#include <windows.h>

#include "ui/theme.h"

#include <dwmapi.h>
#include <richedit.h>
#include <uxtheme.h>

#include <optional>
#include <string_view>
#include <vector>

#include "model/app_state.h"
#include "model/suppress_change.h"
#include "ui/palette_values.h"
#include "ui/theme_rules.h"
#include "ui/window_slots.h"

namespace {

// Not all SDK headers know these attributes yet; their numbers are fixed.
constexpr DWORD dwm_use_immersive_dark_mode = 20;
constexpr DWORD dwm_caption_color = 35;
constexpr DWORD dwm_text_color = 36;

// uxtheme's unnamed exports: the preferred app mode switch and the flush of
// the menu themes. They exist only where "OpenThemeDataForDpi" does; on older
// systems the same ordinals mean something else, so that export is the gate.
constexpr WORD ordinal_set_preferred_app_mode = 135;
constexpr WORD ordinal_flush_menu_themes = 136;
using SetPreferredAppModeFn = int(WINAPI*)(int);
using FlushMenuThemesFn = void(WINAPI*)();

constexpr int licenses_text_id = 100;

// The theme part of UiThreadState. The palettes are created on first use and
// never deleted: callers hold copies of their brushes across paints.
struct UiThreadState {
  Theme choice = Theme::System;
  bool dark = false;
  std::optional<ThemeColors> light_palette;
  std::optional<ThemeColors> dark_palette;
  HMODULE uxtheme = nullptr;  // kept loaded until the process ends
  bool uxtheme_tried = false;
};

thread_local UiThreadState ui_state;

COLORREF colour(Rgb rgb) { return RGB(rgb.r, rgb.g, rgb.b); }

ThemeColors make_palette(bool dark) {
  const PaletteValues& v = palette_values(dark);
  return ThemeColors{
      .window_brush = CreateSolidBrush(colour(v.window_brush)),
      .edit_brush = CreateSolidBrush(colour(v.edit_brush)),
      .tab_brush = CreateSolidBrush(colour(v.tab_brush)),
      .button_brush = CreateSolidBrush(colour(v.button_brush)),
      .border_brush = CreateSolidBrush(colour(v.border_brush)),
      .window_color = colour(v.window_color),
      .text_color = colour(v.text_color),
      .dim_color = colour(v.dim_color),
      .link_color = colour(v.link_color),
      .edit_color = colour(v.edit_color),
  };
}

const wchar_t* scroll_bar_theme() { return ui_state.dark ? L"DarkMode_Explorer" : L"Explorer"; }

// Sends the caption its inactive look and then its real one, which makes it
// repaint in the new colours without changing which window is active.
void repaint_caption(HWND window) {
  const bool active = GetActiveWindow() == window;
  SendMessageW(window, WM_NCACTIVATE, active ? FALSE : TRUE, 0);
  SendMessageW(window, WM_NCACTIVATE, active ? TRUE : FALSE, 0);
}

void redraw_all(HWND window) { RedrawWindow(window, nullptr, nullptr, RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE); }

struct RecolourPass {
  HWND frame;
};

BOOL CALLBACK recolour_top_level(HWND window, LPARAM param) {
  const auto* pass = reinterpret_cast<const RecolourPass*>(param);
  if (window == pass->frame || !IsWindowVisible(window)) return TRUE;
  apply_title_bar(window);
  repaint_caption(window);
  redraw_all(window);
  return TRUE;
}

// The licences viewer has a system edit control whose scroll bar takes its
// colours from the control's theme, not from WM_CTLCOLOR*.
void apply_licenses_viewer_theme(HWND viewer) {
  if (HWND text = GetDlgItem(viewer, licenses_text_id)) SetWindowTheme(text, scroll_bar_theme(), nullptr);
}

struct OpenWindows {
  HWND frame = nullptr;
  std::vector<HWND> editors;
};

OpenWindows open_windows() {
  OpenWindows out;
  auto state = app_state().borrow();
  if (!state) return out;
  out.frame = state->frame;
  out.editors = state->editors();
  return out;
}

}  // namespace

ThemeColors palette() {
  std::optional<ThemeColors>& slot = ui_state.dark ? ui_state.dark_palette : ui_state.light_palette;
  if (!slot) slot = make_palette(ui_state.dark);
  return *slot;
}

bool is_dark() { return ui_state.dark; }

bool system_prefers_dark() {
  DWORD light = 1;
  DWORD size = sizeof light;
  const LSTATUS status =
      RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                   L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &light, &size);
  return status == ERROR_SUCCESS && light == 0;
}

bool dark_for(Theme choice) {
  // The registry is read only when the choice depends on it.
  return choice == Theme::System ? system_prefers_dark() : dark_for_choice(choice, false);
}

void set_dark_mode(bool dark) {
  ui_state.dark = dark;
  if (!ui_state.uxtheme_tried) {
    ui_state.uxtheme_tried = true;
    // From the system folder only: a uxtheme.dll beside the program is not ours.
    ui_state.uxtheme = LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  HMODULE ux = ui_state.uxtheme;
  if (!ux || !GetProcAddress(ux, "OpenThemeDataForDpi")) return;
  const auto set_mode = reinterpret_cast<SetPreferredAppModeFn>(
      reinterpret_cast<void*>(GetProcAddress(ux, MAKEINTRESOURCEA(ordinal_set_preferred_app_mode))));
  const auto flush = reinterpret_cast<FlushMenuThemesFn>(
      reinterpret_cast<void*>(GetProcAddress(ux, MAKEINTRESOURCEA(ordinal_flush_menu_themes))));
  if (!set_mode || !flush) return;
  // 2 forces dark, 3 forces light.
  set_mode(dark ? 2 : 3);
  flush();
}

void apply_title_bar(HWND window) {
  const ThemeColors colors = palette();
  const BOOL dark = ui_state.dark ? TRUE : FALSE;
  DwmSetWindowAttribute(window, dwm_use_immersive_dark_mode, &dark, sizeof dark);
  DwmSetWindowAttribute(window, dwm_caption_color, &colors.window_color, sizeof colors.window_color);
  DwmSetWindowAttribute(window, dwm_text_color, &colors.text_color, sizeof colors.text_color);
}

void apply_editor_colours(HWND editor) {
  const ThemeColors colors = palette();
  SendMessageW(editor, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(colors.edit_color));
  CHARFORMATW format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_COLOR;
  format.dwEffects = 0;
  format.crTextColor = colors.text_color;
  SendMessageW(editor, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
  SendMessageW(editor, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  SetWindowTheme(editor, scroll_bar_theme(), nullptr);
}

void show_theme(Theme choice) {
  ui_state.choice = choice;
  set_dark_mode(dark_for(choice));
  apply_theme_everywhere();
}

void on_setting_change(const wchar_t* text) {
  if (!text || std::wstring_view(text) != L"ImmersiveColorSet") return;
  if (ui_state.choice != Theme::System) return;
  const std::optional<bool> dark = dark_after_system_change(ui_state.choice, ui_state.dark, system_prefers_dark());
  if (!dark) return;
  set_dark_mode(*dark);
  apply_theme_everywhere();
}

void apply_theme_everywhere() {
  // The state is borrowed only to collect handles: recolouring sends
  // messages that come back into the frame's procedure.
  const OpenWindows open = open_windows();

  RecolourPass pass{open.frame};
  EnumThreadWindows(GetCurrentThreadId(), recolour_top_level, reinterpret_cast<LPARAM>(&pass));

  if (open.frame) apply_title_bar(open.frame);
  {
    // Recolouring a Rich Edit reports a change of its text; it is not an edit.
    SuppressChange quiet;
    for (HWND editor : open.editors) apply_editor_colours(editor);
  }
  if (HWND viewer = window_slots().licenses_window) apply_licenses_viewer_theme(viewer);

  if (open.frame) {
    redraw_all(open.frame);
    SetWindowPos(open.frame, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    repaint_caption(open.frame);
  }
}

void set_theme_choice(Theme choice) { ui_state.choice = choice; }

Theme theme_choice() { return ui_state.choice; }
