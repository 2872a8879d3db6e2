// Creating the Rich Edit editors and the settings they all share. The
// control does all the editing; the program only configures it (moving text
// in and out is text/editor_text.cpp).

#include <windows.h>

#include <richedit.h>

#include "editor/editor.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "base/utf.h"
#include "model/app_state.h"
#include "model/copy_guard.h"
#include "model/frame_hooks.h"
#include "model/suppress_change.h"
#include "store/settings.h"
#include "ui/dpi.h"
#include "ui/theme.h"

namespace {

constexpr LONG max_text = 0x7FFFFFFE;

LPARAM word_wrap_width(bool word_wrap) { return word_wrap ? 0 : 1; }

// The editors of all tabs, collected under a short borrow of the state so
// that messages can then be sent to them freely.
std::vector<HWND> all_editors() {
  auto state = app_state().borrow();
  return state ? state->editors() : std::vector<HWND>{};
}

// The status bar counts display lines, so wrapping and a new font move the
// caret's line and column without moving the caret.
void repaint_status_bar() {
  HWND status = nullptr;
  {
    auto state = app_state().borrow();
    if (!state) return;
    status = state->status_bar;
  }
  if (status) InvalidateRect(status, nullptr, FALSE);
}

}  // namespace

HWND create_editor(HWND parent, HFONT font, bool word_wrap, std::int32_t zoom) {
  SuppressChange quiet;
  HWND editor = CreateWindowExW(0, MSFTEDIT_CLASS, nullptr,
                                WS_CHILD | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                                    ES_NOHIDESEL | ES_WANTRETURN,
                                0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!editor) return nullptr;
  SendMessageW(editor, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
  SendMessageW(editor, EM_EXLIMITTEXT, 0, max_text);
  SendMessageW(editor, EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE);
  const LRESULT options = SendMessageW(editor, EM_GETLANGOPTIONS, 0, 0);
  SendMessageW(editor, EM_SETLANGOPTIONS, 0, options & ~static_cast<LRESULT>(IMF_AUTOFONT));
  SendMessageW(editor, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  apply_editor_colours(editor);
  SendMessageW(editor, EM_SETTARGETDEVICE, 0, word_wrap_width(word_wrap));
  SendMessageW(editor, EM_SETZOOM, static_cast<WPARAM>(zoom), 100);
  // The control's own copy would skip the markers that keep the text out of
  // clipboard history; it is caught here, so no message loop can reach it.
  guard_copies(editor);
  return editor;
}

HFONT create_editor_font(std::string_view face, std::int32_t points, UINT dpi) {
  return CreateFontW(font_height_for(points, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     to_wide(face).c_str());
}

void apply_editor_font(HFONT font) {
  if (!font) return;
  UniqueFont previous;
  {
    auto state = app_state().borrow();
    if (!state) {
      DeleteObject(font);
      return;
    }
    previous = std::exchange(state->font, UniqueFont(font));
  }
  SuppressChange quiet;
  for (HWND editor : all_editors()) {
    SendMessageW(editor, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    apply_editor_colours(editor);
  }
  repaint_status_bar();
  // `previous` is deleted here, after no editor uses it any more.
}

std::int64_t current_zoom() {
  auto state = app_state().borrow();
  return state ? state->config.zoom : 100;
}

void set_zoom(std::int64_t percent) {
  const std::int32_t zoom = clamp_zoom(percent);
  Config config;
  {
    auto state = app_state().borrow();
    if (!state) return;
    state->config.zoom = zoom;
    config = state->config;
  }
  save_config(config);
  for (HWND editor : all_editors()) SendMessageW(editor, EM_SETZOOM, static_cast<WPARAM>(zoom), 100);
  refresh_title();
}

void toggle_word_wrap() {
  Config config;
  {
    auto state = app_state().borrow();
    if (!state) return;
    state->config.word_wrap = !state->config.word_wrap;
    config = state->config;
  }
  save_config(config);
  for (HWND editor : all_editors()) SendMessageW(editor, EM_SETTARGETDEVICE, 0, word_wrap_width(config.word_wrap));
  repaint_status_bar();
}
